// What the host-form fuzz targets share: one offscreen application holding one host-forms window on
// a fake link, a browser that only records its address, files read only from a private temporary
// folder, and no printer.
#pragma once

#include "common/testing/FakeHostLink.h"
#include "hostforms/forms/HostFiles.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/forms/TkalvexResult.h"
#include "hostforms/forms/WebBrowser.h"

#include <QApplication>
#include <QPrinter>
#include <QTemporaryDir>

#include <memory>

struct HostFormsFuzzEnv {
    int argc = 1;
    char name[8] = "fuzz";
    char *argv[2] = {name, nullptr};
    QApplication *app;
    QTemporaryDir dir;
    FakeHostLink link;
    TWinpickFrm *frm;
    HostFormsFuzzEnv() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
        WebBrowser::forceStub(true);
        HostFiles::Policy p;
        p.MaxSize = 64 * 1024;
        p.Roots = {dir.path()};
        HostFiles::setPolicy(p);
        TkalvexResult::setPrinterSource([](const QByteArray &) { return std::unique_ptr<QPrinter>(); });
        frm = new TWinpickFrm;
        frm->setLink(&link);
    }
    // Between inputs: every workspace gone, nothing left queued for the host.
    void reset() {
        frm->ResetWorkspaces1Click();
        link.sends.clear();
        link.sent.clear();
    }
};

// Font and windowing libraries keep caches they never free; they are not ours to report. (Each fuzz
// target is one source file, so this definition is made once per program.)
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libQt6Gui.so\nleak:libQt6Core.so\n"
           "leak:libglib-2.0.so\nleak:libdbus-1.so\n";
}
