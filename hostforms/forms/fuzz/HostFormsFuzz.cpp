// Object requests of any shape through the parser and the dispatcher: creation of every type,
// unknown types, huge numbers, repeated names, menu trees and control actions. The browser only
// records its address and files are read only from a private temporary folder.
#include "common/testing/FakeHostLink.h"
#include "hostforms/forms/HostFiles.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/forms/WebBrowser.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

struct Env {
    int argc = 1;
    char name[8] = "fuzz";
    char *argv[2] = {name, nullptr};
    QApplication *app;
    QTemporaryDir dir;
    FakeHostLink link;
    TWinpickFrm *frm;
    Env() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new QApplication(argc, argv);
        WebBrowser::forceStub(true);
        HostFiles::Policy p;
        p.MaxSize = 64 * 1024;
        p.Roots = {dir.path()};
        HostFiles::setPolicy(p);
        frm = new TWinpickFrm;
        frm->setLink(&link);
    }
};

} // namespace

// Font and windowing libraries keep caches they never free; they are not ours to report.
extern "C" const char *__lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libfreetype.so\nleak:libQt6Gui.so\nleak:libQt6Core.so\n"
           "leak:libglib-2.0.so\nleak:libdbus-1.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static Env env;
    // Requests are separated by the frame end byte, as the pipeline would cut them.
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> requests = input.split('\x9B');
    int n = 0;
    for (const QByteArray &r : requests) {
        if (++n > 24) {
            break;
        }
        env.frm->ExecuteRequest(r);
    }
    env.frm->ResetWorkspaces1Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // What was sent is not looked at; it must not pile up over the run.
    env.link.sends.clear();
    env.link.sent.clear();
    return 0;
}
