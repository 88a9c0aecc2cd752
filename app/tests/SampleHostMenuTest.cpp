// The sample host's menu over a real connection, choice by choice: each choice brings up its window
// or its bytes on the workstation, and the host's menu comes back with the choice's outcome.
#include "app/TOrvaMainForm.h"
#include "app/tests/SampleHostSession.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

// Files the workstation was asked to open, in place of the desktop's viewer.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls.append(url); }
};

// The menu's screen, waited for by its title and prompt.
bool showsMenu(Session &s, const QByteArray &title) {
    return QTest::qWaitFor([&] { return s.screenShows(title) && s.screenShows("Choice:"); }, 20000);
}

// Types a choice at the host's menu, as the user does (Enter ends it).
void choose(Session &s, const QByteArray &choice) {
    s.link()->Send(choice + "\r");
}

// Waits for the menu's outcome line after a choice.
bool outcome(Session &s, const QByteArray &text) {
    return QTest::qWaitFor([&] { return s.screenShows(text) && s.screenShows("Choice:"); }, 30000);
}

} // namespace

class SampleHostMenuTest : public QObject {
    Q_OBJECT
private slots:
    // D: the information box, a capture the host starts and stops, a document opened, a program run
    // and the key-set query with the terminal's reply.
    void clientCommands() {
        QTemporaryDir capture;
        Session s({}, "keysetquery = \"whoareu\"\r\nkeysetreply = \"orvavt\"\r\ncapturedirectory = " +
                          capture.path().toUtf8() + "\r\n");
        OpenedUrls opened;
        QVERIFY(s.connect());
        QVERIFY(showsMenu(s, "REQUEST:"));
        choose(s, "D");
        QVERIFY(showsMenu(s, "CLIENT COMMANDS"));

        choose(s, "1");
        QVERIFY(outcome(s, "Information box sent."));
        QTRY_VERIFY(
            s.messages->shown.contains("Sample host|The laboratory system stops for maintenance at 18:00."));

        choose(s, "2");
        QVERIFY(outcome(s, "3 lines, started and stopped."));
        QCOMPARE(readFile(capture.filePath("lab-list.txt")),
                 QByteArray("REQUEST\xFD"
                            "12345678\xFCSMITH J\r\nREQUEST\xFD"
                            "87654321\xFC"
                            "BROWN D\r\nTotals\r\ntwo requests\r\n"));
        QVERIFY(!s.screenShows("SMITH J"));

        choose(s, "3");
        QVERIFY(outcome(s, "Asked the workstation to open"));
        QTRY_COMPARE(opened.urls,
                     QList<QUrl>{QUrl::fromLocalFile(s.dir.filePath("share/pictures/notice.txt"))});

        choose(s, "4");
        QVERIFY(outcome(s, "started-by-host made."));

        choose(s, "5");
        QVERIFY(outcome(s, "The terminal answered the key-set query \"whoareu\" with \"orvavt\"."));

        choose(s, "");
        QVERIFY(showsMenu(s, "REQUEST:"));
        s.form->CloseSpeedClick();
    }
};

QTEST_MAIN(SampleHostMenuTest)
#include "SampleHostMenuTest.moc"
