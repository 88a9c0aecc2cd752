// A main window for tests: made from a setup text (its work folder under the test's folder), on a
// link the test drives, with the recording stand-in for boxes. FormCreate is left to the test.
#pragma once

#include "app/TOrvaMainForm.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"

#include <QFile>
#include <QString>

#include <memory>

struct TestMainForm {
    std::unique_ptr<TOrvaMainForm> form;
    FakeHostLink *link = nullptr;
    RecordingMessages *messages = nullptr;
};

// Writes folder/name with the setup text and the work folder folder/work.
inline QString writeTestSetup(const QString &folder, const QByteArray &text,
                              const QString &name = QStringLiteral("test.inf")) {
    const QString path = folder + QLatin1Char('/') + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(text + "\nrtfresultdirectory = " + QFile::encodeName(folder) + "/work\n") < 0) {
        qFatal("setup file not written");
    }
    return path;
}

// `link` is what the window talks to; `fake` is the test's view of it (the same object unless the
// test puts something between them).
inline TestMainForm makeTestMainForm(const QString &folder, const QByteArray &setup, FakeHostLink *fake,
                                     HostLink *link = nullptr) {
    TestMainForm m;
    m.link = fake;
    auto messages = std::make_unique<RecordingMessages>();
    m.messages = messages.get();
    m.form = std::make_unique<TOrvaMainForm>(QStringList{"orva", writeTestSetup(folder, setup)},
                                             link ? link : fake, std::move(messages));
    return m;
}
