// The export and import dialogue against a recording host link: the bytes typed at the host's
// prompt for each answer it gives, the boxes the user sees, and the ways a transfer ends.
#include "app/export/ItemTransfer.h"
#include "app/export/TExportForm.h"
#include "common/FileWait.h"
#include "common/LocalPath.h"
#include "common/testing/DeadShareWatch.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/HungFile.h"
#include "common/testing/RecordingMessages.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

using Bytes = QList<QByteArray>;

// A transfer whose boxes wait until the test runs them, as they wait for the end of a block.
struct Harness {
    FakeHostLink link;
    RecordingMessages messages;
    QList<std::function<void()>> deferred;
    ItemTransfer transfer{link, messages, [this](std::function<void()> f) { deferred.append(std::move(f)); }};
    QTemporaryDir dir;

    void runDeferred() {
        while (!deferred.isEmpty()) {
            deferred.takeFirst()();
        }
    }
    QString file(const QByteArray &bytes) {
        const QString path = dir.filePath("export.txt");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(bytes);
        }
        return path;
    }
    bool exportFile(const QByteArray &bytes, const QString &d3File = "F", const QString &item = "I") {
        ItemTransfer::Request r;
        r.WinFile = file(bytes);
        r.D3File = d3File;
        r.D3Item = item;
        return transfer.Start(r);
    }
    bool importTo(const QString &target, bool lineEndings = true) {
        ItemTransfer::Request r;
        r.Import = true;
        r.WinFile = target;
        r.D3File = "F";
        r.D3Item = "I";
        r.SendLineEndings = lineEndings;
        return transfer.Start(r);
    }
    // Replies from the host, one block each; the sends they caused.
    Bytes host(const Bytes &blocks) {
        const qsizetype before = link.sends.size();
        for (const QByteArray &b : blocks) {
            transfer.Reply(b);
            runDeferred();
        }
        return link.sends.mid(before);
    }
};

const QByteArray kWho = "who\r\n 12 labuser LAB.PROD\r\n:";

} // namespace

class ItemTransferTest : public QObject {
    Q_OBJECT
private slots:
    void splitsLinesOfEveryKind_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Bytes>("lines");
        QTest::newRow("windows") << QByteArray("A\r\nB\r\n") << Bytes{"A", "B"};
        QTest::newRow("linux") << QByteArray("A\nB\n") << Bytes{"A", "B"};
        QTest::newRow("old mac") << QByteArray("A\rB\r") << Bytes{"A", "B"};
        QTest::newRow("no final end") << QByteArray("A\r\nB") << Bytes{"A", "B"};
        QTest::newRow("empty lines kept") << QByteArray("A\r\n\r\nB\n\nC") << Bytes{"A", "", "B", "", "C"};
        QTest::newRow("mixed") << QByteArray("A\n\r\nB\r\rC") << Bytes{"A", "", "B", "", "C"};
        QTest::newRow("one empty line") << QByteArray("\r\n") << Bytes{""};
        QTest::newRow("nothing") << QByteArray() << Bytes{};
        QTest::newRow("marks") << QByteArray("x\xFDy\xFCz\n") << Bytes{"x\xFDy\xFCz"};
    }
    void splitsLinesOfEveryKind() {
        QFETCH(QByteArray, bytes);
        QFETCH(Bytes, lines);
        QCOMPARE(ItemTransfer::SplitLines(bytes), lines);
        for (const QByteArray &line : ItemTransfer::SplitLines(bytes)) {
            QVERIFY(!ItemTransfer::EditorLine(line).chopped(1).contains('\r'));
        }
    }

    void recognisesTheFiledMessage_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<bool>("filed");
        QTest::newRow("default with blanks")
            << QByteArray("[221] '##d3 item## ' filed.") << QByteArray("fi\r\n[221] 'X' filed.\r\n:") << true;
        QTest::newRow("placeholder without blank")
            << QByteArray("[221] '##d3item##' filed.") << QByteArray("[221] 'X' filed.") << true;
        QTest::newRow("other item") << QByteArray("[221] '##d3item##' filed.")
                                    << QByteArray("[221] 'Y' filed.") << false;
        QTest::newRow("message not complete")
            << QByteArray("[221] '##d3item##' filed.") << QByteArray("[221] 'X' fi") << false;
    }
    void recognisesTheFiledMessage() {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, buffer);
        QFETCH(bool, filed);
        QCOMPARE(ItemTransfer::IsFiled(buffer, pattern, "X"), filed);
    }

    // A new item: who, list, ed with i, one line per host prompt (value marks as the editor's keys,
    // an empty line as 0x1E), fi, and the completion message.
    void exportsANewItem() {
        Harness h;
        QSignalSpy hidden(&h.transfer, &ItemTransfer::hideRequested);
        QVERIFY(h.exportFile("A\r\n\r\nx\xFDy\xFCz\r\n"));
        QVERIFY(h.transfer.Active());
        QCOMPARE(h.link.sends, Bytes{"who\r"});
        QCOMPARE(h.host({"who", "\r\n 12 labuser LAB.PROD\r\n:"}), Bytes{"list F I\r"});
        QCOMPARE(h.host({"list F I\r\n[202] 'I' not on file.\r\n:"}), Bytes{"ed F I\ri\r"});
        QCOMPARE(h.host({"top\r\n001 "}), Bytes{"A\r"});
        QCOMPARE(h.host({"002 "}), Bytes{"\x1E"});
        QCOMPARE(h.host({"003 "}), (Bytes{"x\x1Dy\x1Cz\r", "\r\rfi\r"}));
        QCOMPARE(h.host({"004 \r\n'I' ", "[221] 'I' filed.\r\n:"}), Bytes{});
        QVERIFY(!h.transfer.Active());
        QCOMPARE(h.messages.shown, QStringList{"Export Data.|Transfer Complete!"});
        QCOMPARE(hidden.count(), 1);
    }

    // The host's answers that end an export early, each with its box.
    void exportAnswersThatEndTheTransfer_data() {
        QTest::addColumn<Bytes>("replies");
        QTest::addColumn<Bytes>("sentAfterWho");
        QTest::addColumn<QString>("shown");
        QTest::newRow("not at the prompt")
            << Bytes{"Enter your choice (1-9): "} << Bytes{} << "Export Data|Not at TCL Prompt or TCL Error";
        QTest::newRow("verb not known")
            << Bytes{"who\r\n[3] Verb?\r\n:"} << Bytes{} << "Export Data|Not at TCL Prompt or TCL Error";
        QTest::newRow("no such file") << Bytes{kWho, "[10] File 'F' not found.\r\n"} << Bytes{"list F I\r"}
                                      << "Export Data|d3 File F does not exist.";
        QTest::newRow("copy refused") << Bytes{kWho, "[405]", "TO:", QByteArray(51, 'x')}
                                      << Bytes{"list F I\r", "copy F I (OD\r", "I.orva\r"}
                                      << "Export Data|Could not create temporary file F I.orva";
    }
    void exportAnswersThatEndTheTransfer() {
        QFETCH(Bytes, replies);
        QFETCH(Bytes, sentAfterWho);
        QFETCH(QString, shown);
        Harness h;
        h.messages.replies = {UserMessages::Answer::Yes};
        QVERIFY(h.exportFile("A\r\n"));
        QCOMPARE(h.host(replies), sentAfterWho);
        QVERIFY(!h.transfer.Active());
        QCOMPARE(h.messages.shown.value(0), shown);
    }

    void existingItemAsksBeforeOverwriting() {
        for (const bool yes : {false, true}) {
            Harness h;
            QSignalSpy hidden(&h.transfer, &ItemTransfer::hideRequested);
            h.messages.replies = {yes ? UserMessages::Answer::Yes : UserMessages::Answer::No};
            QVERIFY(h.exportFile("A\n"));
            const Bytes sent = h.host({kWho, "[405] item exists"});
            QCOMPARE(sent, yes ? Bytes({"list F I\r", "copy F I (OD\r"}) : Bytes{"list F I\r"});
            QCOMPARE(h.messages.asked,
                     QStringList{"Export Data|Item F I already exists.\r\nDo you want to overwrite it?"});
            if (!yes) {
                QVERIFY(!h.transfer.Active());
                QCOMPARE(hidden.count(), 1);
                QCOMPARE(h.host({"more"}), Bytes{});
                continue;
            }
            QCOMPARE(h.host({"TO:"}), Bytes{"I.orva\r"});
            QCOMPARE(h.host({"[805] 1 items copied"}), Bytes{"ed F I\ri\r"});
            QCOMPARE(h.host({"001 "}), (Bytes{"A\r", "\r\rfi\r"}));
        }
    }

    // While the question is open, the host's text is kept but does not move the dialogue on.
    void answersWaitForTheOpenQuestion() {
        Harness h;
        h.messages.replies = {UserMessages::Answer::Yes};
        QVERIFY(h.exportFile("A\n"));
        h.transfer.Reply(kWho);
        h.transfer.Reply("[405]");
        h.transfer.Reply("[405] again");
        QCOMPARE(h.link.sends, (Bytes{"who\r", "list F I\r"}));
        h.runDeferred();
        QCOMPARE(h.messages.asked.size(), 1);
        QCOMPARE(h.link.sends.last(), QByteArray("copy F I (OD\r"));
    }

    // The file to export is read and checked before anything is typed at the host.
    void unsendableRequestsAreRefusedBeforeTheHost_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("d3File");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty file") << QByteArray() << "F"
                                    << "does not contain any data.";
        QTest::newRow("control bytes") << QByteArray("A\nB\x1B[2J\n") << "F"
                                       << "control characters in line 2";
        QTest::newRow("blank in the file name") << QByteArray("A\n") << "MY FILE"
                                                << "must not contain blanks";
        QTest::newRow("control in the file name") << QByteArray("A\n") << "F\rX"
                                                  << "must not contain blanks";
    }
    void unsendableRequestsAreRefusedBeforeTheHost() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, d3File);
        QFETCH(QString, shown);
        Harness h;
        QVERIFY(!h.exportFile(bytes, d3File));
        h.runDeferred();
        QVERIFY(h.link.sends.isEmpty());
        QVERIFY(!h.transfer.Active());
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY2(h.messages.shown.first().contains(shown), qPrintable(h.messages.shown.first()));
    }

    void missingFileIsNamed() {
        Harness h;
        ItemTransfer::Request r;
        r.WinFile = h.dir.filePath("nosuch.txt");
        r.D3File = "F";
        r.D3Item = "I";
        QVERIFY(!h.transfer.Start(r));
        h.runDeferred();
        QVERIFY(h.link.sends.isEmpty());
        QVERIFY(h.messages.shown.value(0).startsWith("Export Data|Windows File " + r.WinFile + " "));
    }

    // The import target is the host's path, sent as typed (no path map applies to it).
    void importsAnItem_data() {
        QTest::addColumn<bool>("lineEndings");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("done") << true << QByteArray("silent.import\r\n[C01]\r\n:")
                              << "Import File|Transfer Complete" << true;
        QTest::newRow("refused") << false << QByteArray("[C99] Item not on file\r\n:")
                                 << "Import File|Item not on file" << false;
    }
    void importsAnItem() {
        QFETCH(bool, lineEndings);
        QFETCH(QByteArray, reply);
        QFETCH(QString, shown);
        QFETCH(bool, hidden);
        LocalPath::SetPathMap({{"\\\\labsrv\\share", "/mnt/share"}});
        Harness h;
        QSignalSpy hides(&h.transfer, &ItemTransfer::hideRequested);
        QSignalSpy focus(&h.transfer, &ItemTransfer::focusButton);
        QVERIFY(h.importTo(QString::fromLatin1("\\\\labsrv\\share\\out \xe9.txt"), lineEndings));
        const QByteArray expected = QByteArray("silent.import\r\\\\labsrv\\share\\out \xe9.txt\rF\rI\r") +
                                    (lineEndings ? "y\r" : "n\r");
        QCOMPARE(h.host({kWho}), Bytes{expected});
        QCOMPARE(h.host({reply.left(5), reply.mid(5)}), Bytes{});
        QVERIFY(!h.transfer.Active());
        QCOMPARE(h.messages.shown, QStringList{shown});
        QCOMPARE(hides.count(), hidden ? 1 : 0);
        QCOMPARE(focus.count(), hidden ? 0 : 1);
        LocalPath::SetPathMap({});
    }

    // Cancel sends what takes the host back to its prompt; the transfer ends at once unless the
    // editor's answer is still to come.
    void cancelEndsTheTransfer_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<Bytes>("before");
        QTest::addColumn<QByteArray>("cancelBytes");
        QTest::addColumn<bool>("stillActive");
        QTest::newRow("waiting for who") << false << Bytes{} << QByteArray("\r\r") << false;
        QTest::newRow("waiting for list") << false << Bytes{kWho} << QByteArray("\r\r") << false;
        QTest::newRow("copy sent") << false << Bytes{kWho, "[405]"} << QByteArray("\r\r") << false;
        QTest::newRow("in the editor")
            << false << Bytes{kWho, "[202]"} << QByteArray("\r\rex\ry\r\r") << true;
        QTest::newRow("import") << true << Bytes{kWho} << QByteArray("\x1B\x1B") << false;
    }
    void cancelEndsTheTransfer() {
        QFETCH(bool, import);
        QFETCH(Bytes, before);
        QFETCH(QByteArray, cancelBytes);
        QFETCH(bool, stillActive);
        Harness h;
        h.messages.replies = {UserMessages::Answer::Yes};
        QVERIFY(import ? h.importTo("/tmp/x") : h.exportFile("A\nB\n"));
        h.host(before);
        h.transfer.Cancel();
        h.runDeferred();
        QCOMPARE(h.link.sends.last(), cancelBytes);
        QCOMPARE(h.transfer.Active(), stillActive);
        if (stillActive) {
            QCOMPARE(h.host({"'I' exited.\r\n:"}), Bytes{});
            QVERIFY(!h.transfer.Active());
        }
        QCOMPARE(h.messages.shown.size(), 1);
        QVERIFY(h.messages.shown.first().endsWith("|User Abort"));
    }

    // Closing the form types the editor's exit only where the editor may be open.
    void closeTakesTheHostBackSilently_data() {
        QTest::addColumn<bool>("import");
        QTest::addColumn<Bytes>("before");
        QTest::addColumn<QByteArray>("closeBytes");
        QTest::newRow("at the prompt") << false << Bytes{kWho} << QByteArray("\r\r");
        QTest::newRow("in the editor")
            << false << Bytes{kWho, "[202]", "001 "} << QByteArray("\r\rex\ry\r\r");
        QTest::newRow("import") << true << Bytes{kWho} << QByteArray("\x1B\x1B");
    }
    void closeTakesTheHostBackSilently() {
        QFETCH(bool, import);
        QFETCH(Bytes, before);
        QFETCH(QByteArray, closeBytes);
        Harness h;
        QVERIFY(import ? h.importTo("/tmp/x") : h.exportFile("A\nB\n"));
        h.host(before);
        h.transfer.Close();
        h.runDeferred();
        QCOMPARE(h.link.sends.last(), closeBytes);
        QVERIFY(!h.transfer.Active());
        QVERIFY(h.messages.shown.isEmpty());
    }

    // A dropped link or a silent host ends the transfer and says so; a reset ends it silently.
    void transferEndsWithoutTheHost() {
        for (int way = 0; way < 3; ++way) {
            Harness h;
            QVERIFY(h.exportFile("A\nB\n"));
            h.host({kWho, "[202]", "001 "});
            const qsizetype sent = h.link.sends.size();
            if (way == 0) {
                h.link.setState(LinkState::Closed);
            } else if (way == 1) {
                h.transfer.HostSilent();
            } else {
                h.transfer.End();
            }
            h.runDeferred();
            QVERIFY(!h.transfer.Active());
            const QStringList expected = {
                "Export Data|The link to the host was lost; the transfer was stopped.",
                "Export Data|The host did not answer; the transfer was stopped.", ""};
            QCOMPARE(h.messages.shown.value(0), expected[way]);
            QCOMPARE(h.link.sends.size(), sent + (way == 1 ? 1 : 0));
            QCOMPARE(h.host({"002 "}), Bytes{});
        }
    }

    void silenceLimitRunsOnItsOwn() {
        Harness h;
        h.transfer.setSilenceLimit(50);
        QVERIFY(h.exportFile("A\n"));
        QTRY_VERIFY(!h.transfer.Active());
        h.runDeferred();
        QCOMPARE(h.messages.shown.size(), 1);
    }

    // The form: captions per mode, the button that starts and cancels, Tab in the file box.
    // An export from a file that does not answer (a pipe no one writes stands in for a dead share):
    // the window's timers go on while it waits, the user is told once which file it was, and
    // nothing reaches the host.
    void exportOfAFileThatDoesNotAnswerEndsAtItsDeadline() {
        FakeHostLink link;
        DeadShareWatch watch;
        TExportForm form(link, watch.messages, QStringLiteral("/opt/orva/"));
        form.Transfer().FileWaitMs = 500;
        form.ShowExport();
        QTemporaryDir dir;
        HungFile hung(dir.filePath("results.txt"));
        QVERIFY(hung.made());
        hung.watch(8000);
        form.findChild<QLineEdit *>("WinFile")->setText(dir.filePath("results.txt"));
        form.findChild<QLineEdit *>("d3File")->setText("F");
        form.findChild<QLineEdit *>("d3Item")->setText("I");
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(form.findChild<QPushButton *>("ExportButton"), Qt::LeftButton);
        QVERIFY2(clock.elapsed() < 3000, QByteArray::number(clock.elapsed()));
        QVERIFY2(watch.keptTurning(), QByteArray::number(watch.ticks));
        hung.finished();
        QVERIFY(!hung.blocked());
        QVERIFY(link.sends.isEmpty());
        QCOMPARE(watch.messages.shown.size(), 1);
        QVERIFY(watch.messages.shown[0].contains(dir.filePath("results.txt")));
        QCOMPARE(form.findChild<QPushButton *>("ExportButton")->text(), QStringLiteral("E&xport"));
    }

    void formFollowsItsTransfer() {
        FakeHostLink link;
        RecordingMessages messages;
        TExportForm form(link, messages, QStringLiteral("/opt/orva/"));
        form.ShowImport();
        QCOMPARE(form.windowTitle(), QStringLiteral("Import d3 File to Windows"));
        QCOMPARE(form.findChild<QLabel *>("WinFileLabel")->text(), QStringLiteral("Import to File"));
        QVERIFY(form.findChild<QCheckBox *>("linendingscheck")->isVisible());
        form.ShowExport();
        QCOMPARE(form.windowTitle(), QStringLiteral("Export Windows File to d3"));
        QVERIFY(!form.findChild<QCheckBox *>("linendingscheck")->isVisible());
        auto *button = form.findChild<QPushButton *>("ExportButton");
        QCOMPARE(button->text(), QStringLiteral("E&xport"));

        // Empty fields take the focus in turn; nothing is sent.
        auto *winFile = form.findChild<QLineEdit *>("WinFile");
        form.activateWindow();
        button->click();
        QVERIFY(link.sends.isEmpty());
        QTemporaryDir dir;
        QFile f(dir.filePath("a.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("A\r\n");
        f.close();
        winFile->setText(f.fileName());
        QTest::keyClick(winFile, Qt::Key_Tab);
        form.findChild<QLineEdit *>("d3File")->setText("F");
        form.findChild<QLineEdit *>("d3Item")->setText("I");
        button->click();
        QCOMPARE(link.sends, Bytes{"who\r"});
        QCOMPARE(button->text(), QStringLiteral("&Cancel"));
        form.Transfer().Reply(kWho);
        form.Transfer().Reply("[202]");
        QVERIFY(form.findChild<QProgressBar *>("ProgressBar")->isVisible());
        form.reject();
        QCOMPARE(link.sends.last(), QByteArray("\r\rex\ry\r\r"));
        QCOMPARE(button->text(), QStringLiteral("E&xport"));
        QVERIFY(!form.findChild<QProgressBar *>("ProgressBar")->isVisible());
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(ItemTransferTest)
#include "ItemTransferTest.moc"
