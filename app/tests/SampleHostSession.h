// One session of the main window against the sample host (its menu, or a script of steps), for the
// integration tests: the host's log of events, the screen, and the session's own folder.
#pragma once

#include "app/ConnectionController.h"
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "common/testing/RecordingMessages.h"
#include "editor/wpform/TWPForm.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/SampleHost.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QString source(const QString &path) {
    return qEnvironmentVariable("ORVA_SOURCE_DIR") + '/' + path;
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One session against the sample host: its menu when `steps` is empty, else the script. The host's
// picture share is the session's "share" folder, mapped in the setup file; `setupLines` adds lines to it.
class Session {
public:
    explicit Session(const QJsonArray &steps = {}, const QByteArray &setupLines = {}) {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
        QDir().mkpath(dir.filePath("uploads"));
        QDir().mkpath(dir.filePath("share"));
        QStringList mode{"--upload-dir", dir.filePath("uploads"), "--share", dir.filePath("share")};
        if (!steps.isEmpty()) {
            // Each upload the script receives is stored as upload-N.txt in the session's folder.
            QJsonArray named;
            int uploads = 0;
            for (const QJsonValue &v : steps) {
                QJsonObject step = v.toObject();
                if (step.contains("receive_upload"))
                    step["receive_upload"] = dir.filePath(QStringLiteral("upload-%1.txt").arg(++uploads));
                named.append(step);
            }
            QFile script(dir.filePath("script.json"));
            if (script.open(QIODevice::WriteOnly))
                script.write(QJsonDocument(named).toJson());
            mode = QStringList{"--script", script.fileName(), "--once"};
        }
        if (!host.start(mode))
            qWarning("sample host: %s", qPrintable(host.error()));
        QFile setup(dir.filePath("orva.inf"));
        setup.open(QIODevice::WriteOnly);
        setup.write(
            "host name = " + host.address() + "\r\nlogin conversation = see \"login:\" answer \"labuser\"" +
            "\r\ntemplatedirectory = " + source("tools/samplehost/templates").toUtf8() +
            "\r\nrtfabbreviationdirectory = " + source("tools/samplehost/abbreviations").toUtf8() +
            "\r\nrtfresultdirectory = " + dir.filePath("work").toUtf8() +
            "\r\npathmap = \\\\labsrv\\images => " + dir.filePath("share").toUtf8() + "\r\n" + setupLines);
        setup.close();
        auto recording = std::make_unique<RecordingMessages>();
        messages = recording.get();
        form = std::make_unique<TOrvaMainForm>(QStringList{"orva", setup.fileName()}, nullptr,
                                               std::move(recording));
    }
    ~Session() {
        form.reset();
        host.stop();
    }

    TWPForm *editor() const { return form->findChild<TWPForm *>(); }
    HostLink *link() const { return child<HostLink>(form.get(), "Telnet1"); }
    bool connect() {
        if (!form->FormCreate())
            return false;
        child<ConnectionController>(form.get(), "ConnectionController")->Timer1Timer();
        return true;
    }
    // Connects and waits for the editor to show a report.
    TWPForm *openEditor() {
        if (!connect() || !QTest::qWaitFor([&] { return editor() && editor()->isVisible(); }, 20000))
            return nullptr;
        return editor();
    }
    QList<QJsonObject> events(const QString &kind) {
        QList<QJsonObject> out;
        for (const QByteArray &line : readFile(host.logPath()).split('\n')) {
            const QJsonObject e = QJsonDocument::fromJson(line).object();
            if (e.value("event").toString() == kind)
                out.append(e);
        }
        return out;
    }
    bool screenShows(const QByteArray &text) {
        auto *terminal = child<TVtTerminalEx>(form.get(), "VtTerminal1");
        for (int row = 1; row <= terminal->Rows(); ++row)
            if (terminal->GetRowText(row).contains(text))
                return true;
        return false;
    }

    QTemporaryDir dir;
    SampleHost host;
    RecordingMessages *messages = nullptr;
    std::unique_ptr<TOrvaMainForm> form;
};

inline QJsonArray script(std::initializer_list<QJsonObject> steps) {
    QJsonArray a{QJsonObject{{"sleep", 0.2}}};
    for (const QJsonObject &s : steps)
        a.append(s);
    return a;
}

inline QJsonObject report(const char *file = "biopsy.txt") {
    return {{"report_file", file}, {"split", QJsonArray{5, 40}}};
}

} // namespace
