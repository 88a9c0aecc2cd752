// The upload message bytes, checksums, base64 lines and the paced sender on a fake link.
#include "editor/report/HostUpload.h"
#include "common/testing/FakeHostLink.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(HostChecksum, KnownTexts) {
    const struct {
        QByteArray text;
        qsizetype count;
        const char *expected;
    } cases[] = {
        {"abc", 3, "294"},    {"a\nb", 3, "195"},     {"\x8A\xE1", 2, "97"},
        {"", 0, "0"},         {"abc", 99, "294"},     // count past the end is bounded
        {"abc", -1, "0"},     {"\x80\xFF", 2, "127"}, // high bit dropped
        {"a\r\nb", 4, "208"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HostChecksum(c.text, c.count), c.expected) << c.text.toHex().constData();
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    // Every byte once: twice 0..127 less the two line feeds.
    EXPECT_EQ(HostChecksum(all, all.size()), QByteArray::number(2 * (127 * 128 / 2) - 2 * 10));
}

TEST(WrapBase64Lines, Widths) {
    EXPECT_EQ(WrapBase64Lines(QByteArray(85, 'A'), 248), QByteArray(84, 'A') + "\r\nA");
    EXPECT_EQ(WrapBase64Lines(QByteArray(84, 'A'), 248), QByteArray(84, 'A') + "\r\n");
    EXPECT_EQ(WrapBase64Lines("abcde", 2), "ab\r\ncd\r\ne");
    EXPECT_EQ(WrapBase64Lines("abcde", 0), "abcde"); // no endless loop
    EXPECT_EQ(WrapBase64Lines("abcde", -5), "abcde");
    EXPECT_EQ(WrapBase64Lines("", 248), "");
    for (int n : {0, 1, 83, 84, 85, 168, 1000}) {
        const QByteArray b(n, 'Q');
        QByteArray joined = Base64Lines(b).join("\r\n");
        if (n && n % 84 == 0)
            joined += "\r\n";
        EXPECT_EQ(joined, WrapBase64Lines(b, 248)) << n;
    }
}

TEST(UploadMessage, HeaderBytes) {
    const UploadMessage empty = BuildUploadMessage("a\r\nb", "");
    EXPECT_EQ(empty.head, QByteArray("\x07"
                                     "4 3 0 208 0\x03\x02"
                                     "a\r\nb\x03"));
    EXPECT_EQ(empty.lines, QByteArrayList{"|||"});

    const UploadMessage blank = BuildUploadMessage("x", " ");
    EXPECT_EQ(blank.lines, (QByteArrayList{" ", "|||"}));
    EXPECT_TRUE(blank.head.startsWith("\x07"
                                      "1 1 3 120 32\x03"));

    const UploadMessage two = BuildUploadMessage("x", QByteArray(85, 'A'));
    EXPECT_EQ(two.lines.size(), 3);
    EXPECT_EQ(two.lines.at(0).size(), 84);
    EXPECT_EQ(two.lines.at(1), "A");
    EXPECT_TRUE(two.head.startsWith("\x07"
                                    "1 1 89 120 5525\x03"));

    // High bytes and both line feeds are counted the way the host counts them.
    const QByteArray t = "\x0a\x8a\x80\xff\xe9";
    const UploadMessage high = BuildUploadMessage(t, "");
    EXPECT_TRUE(high.head.startsWith("\x07"
                                     "5 4 0 " +
                                     HostChecksum(t, 5) + " 0\x03\x02" + t + "\x03"));
    EXPECT_EQ(HostChecksum(t, 5), QByteArray::number(0 + 0 + 0 + 127 + 0x69));
}

UploadMessage tenLines() {
    return BuildUploadMessage("report", QByteArray(84 * 9 + 10, 'B'));
}

TEST(HostSendQueue, AllLinesWhenNothingIsPending) {
    FakeHostLink link;
    HostSendQueue q(link);
    QList<int> progress;
    q.onProgress = [&](int p) { progress.append(p); };
    ASSERT_EQ(q.Start(tenLines()), HostSendQueue::StartResult::Started);
    EXPECT_TRUE(q.ResultTransferActive());
    EXPECT_EQ(link.sends.size(), 1);
    q.SendQueuedLines();
    ASSERT_EQ(link.sends.size(), 12);
    EXPECT_EQ(link.sends.last(), "|||\r\n");
    EXPECT_EQ(link.sends.at(1).size(), 86);
    EXPECT_TRUE(q.Lines().isEmpty());
    EXPECT_EQ(progress, (QList<int>{500, 1000}));
    // The flag stays until the host's "|".
    EXPECT_TRUE(q.ResultTransferActive());
}

TEST(HostSendQueue, OneLinePerCallWhileTheLinkIsFull) {
    FakeHostLink link;
    link.pending = 20000;
    HostSendQueue q(link);
    QList<int> progress;
    q.onProgress = [&](int p) { progress.append(p); };
    ASSERT_EQ(q.Start(tenLines()), HostSendQueue::StartResult::Started);
    for (int call = 1; call <= 11; ++call) {
        q.SendQueuedLines();
        EXPECT_EQ(link.sends.size(), 1 + call);
    }
    EXPECT_EQ(link.sends.last(), "|||\r\n");
    EXPECT_EQ(q.Lines().size(), 11); // cleared by the next call
    q.SendQueuedLines();
    EXPECT_TRUE(q.Lines().isEmpty());
    EXPECT_EQ(link.sends.size(), 12);
    for (int p : progress)
        EXPECT_LE(p, 1000);
}

TEST(HostSendQueue, StopsOnceThePendingCountPassesTheLimit) {
    FakeHostLink link;
    link.holdPending = true;
    HostSendQueue q(link);
    ASSERT_EQ(q.Start(BuildUploadMessage("r", QByteArray(84 * 300, 'C'))),
              HostSendQueue::StartResult::Started);
    q.SendQueuedLines();
    // 86 bytes a line: the line that takes the count past 10000 is the last of the call.
    EXPECT_GT(link.pending, HostSendQueue::kPendingLimit);
    EXPECT_LE(link.pending - 86, HostSendQueue::kPendingLimit);
    EXPECT_LT(link.sends.size(), 300);
}

TEST(HostSendQueue, SecondUploadIsRefusedWhileOneIsActive) {
    FakeHostLink link;
    link.pending = 20000;
    HostSendQueue q(link);
    ASSERT_EQ(q.Start(tenLines()), HostSendQueue::StartResult::Started);
    q.SendQueuedLines();
    EXPECT_EQ(q.Start(BuildUploadMessage("other", "")), HostSendQueue::StartResult::Busy);
    EXPECT_EQ(link.sends.size(), 2);
    EXPECT_EQ(q.HostSendIndex(), 1);
    EXPECT_EQ(q.Lines().size(), 11);
    // After the host ends it (NAK, "|", BEL or Reset), a new upload replaces the queue.
    q.SetResultTransferActive(false);
    q.Clear();
    EXPECT_EQ(q.Start(BuildUploadMessage("other", "")), HostSendQueue::StartResult::Started);
    EXPECT_EQ(q.Lines(), QByteArrayList{"|||"});
}

TEST(HostSendQueue, LinkDownAndDroppedLink) {
    FakeHostLink link;
    link.state = LinkState::Closed;
    HostSendQueue q(link);
    EXPECT_EQ(q.Start(tenLines()), HostSendQueue::StartResult::LinkDown);
    EXPECT_TRUE(link.sends.isEmpty());
    EXPECT_FALSE(q.ResultTransferActive());

    link.state = LinkState::Connected;
    link.pending = 20000;
    int lost = 0;
    q.onTransferLost = [&](bool) { ++lost; };
    ASSERT_EQ(q.Start(tenLines()), HostSendQueue::StartResult::Started);
    q.SendQueuedLines();
    link.state = LinkState::Closed;
    q.SendQueuedLines(); // the ACK that raced the drop sends nothing
    EXPECT_EQ(link.sends.size(), 2);
    EXPECT_FALSE(q.ResultTransferActive());
    EXPECT_TRUE(q.Lines().isEmpty());
    EXPECT_EQ(lost, 1);
    EXPECT_FALSE(q.LinkDropped());
    EXPECT_EQ(lost, 1);
}

TEST(HostSendQueue, EscapeWaitsForTheUploadToEnd) {
    FakeHostLink link;
    link.pending = 20000;
    HostSendQueue q(link);
    q.SendWhenIdle("\x1B"); // idle: at once
    EXPECT_EQ(link.sends, QList<QByteArray>{"\x1B"});
    ASSERT_EQ(q.Start(tenLines(), true), HostSendQueue::StartResult::Started);
    q.SendWhenIdle("\x1B");
    q.SendQueuedLines();
    EXPECT_FALSE(link.sent.endsWith("\x1B")) << "no ESC between the lines";
    q.SetResultTransferActive(false); // the host's "|"
    EXPECT_TRUE(link.sent.endsWith("\x1B"));
    const qsizetype sent = link.sends.size();
    q.SetResultTransferActive(false);
    EXPECT_EQ(link.sends.size(), sent) << "sent once";

    // A link lost during the upload takes the held ESC with it; the loss says it was a dictation.
    bool lostAudio = false;
    q.onTransferLost = [&](bool audio) { lostAudio = audio; };
    ASSERT_EQ(q.Start(tenLines(), true), HostSendQueue::StartResult::Started);
    q.SendWhenIdle("\x1B");
    link.state = LinkState::Closed;
    EXPECT_TRUE(q.LinkDropped());
    EXPECT_TRUE(lostAudio);
    link.state = LinkState::Connected;
    q.SetResultTransferActive(false);
    EXPECT_EQ(link.sends.size(), sent + 1) << "only the new upload's head went out";
}

TEST(StartReportUpload, ReadsTheCopyAndRemovesIt) {
    QTemporaryDir dir;
    const QString tmp = dir.filePath("12_P.doc.tmp");
    FakeHostLink link;
    HostSendQueue q(link);
    {
        QFile f(tmp);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ABC");
    }
    ASSERT_EQ(StartReportUpload(q, "a\r\nb", tmp, false, dir.path(), nullptr), ReportUploadResult::Started);
    EXPECT_FALSE(QFile::exists(tmp));
    EXPECT_EQ(link.sends.first(), QByteArray("\x07"
                                             "4 3 6 208 ") +
                                      HostChecksum("QUJD", 4) + "\x03\x02" + "a\r\nb\x03");
    EXPECT_EQ(q.Lines(), (QByteArrayList{"QUJD", "|||"}));
    QFile copy(dir.filePath("Datacopy.txt"));
    EXPECT_EQ(copy.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());

    EXPECT_EQ(StartReportUpload(q, "x", tmp, true, dir.path(), nullptr), ReportUploadResult::Busy);
    q.SetResultTransferActive(false);
    QString error;
    EXPECT_EQ(StartReportUpload(q, "x", dir.filePath("missing.tmp"), false, dir.path(), &error),
              ReportUploadResult::FileError);
    EXPECT_FALSE(error.isEmpty());
    // A debug copy that cannot be written (its folder is a file) does not stop the upload.
    {
        QFile blocker(dir.filePath("blocker"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(StartReportUpload(q, "x", tmp, true, dir.filePath("blocker/folder"), nullptr),
              ReportUploadResult::Started);
    EXPECT_EQ(q.Lines(), (QByteArrayList{" ", "|||"}));
}

// "Datacopy.txt" has a name anyone can guess: a link planted there is replaced, not written through.
TEST(StartReportUpload, DebugCopyDoesNotFollowALink) {
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("precious");
    }
    ASSERT_TRUE(QFile::link(victim, dir.filePath("Datacopy.txt")));
    FakeHostLink link;
    HostSendQueue q(link);
    ASSERT_EQ(StartReportUpload(q, "report text", {}, true, dir.path(), nullptr),
              ReportUploadResult::Started);
    QFile f(victim);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "precious");
    QFile copy(dir.filePath("Datacopy.txt"));
    EXPECT_FALSE(QFileInfo(copy).isSymLink());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copy.readAll().contains("report text"));
    EXPECT_EQ(copy.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
              QFileDevice::Permissions());
}

} // namespace
