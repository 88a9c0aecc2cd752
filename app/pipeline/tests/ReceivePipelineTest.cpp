// The receive pipeline fed byte strings: each case whole, as given, split at every byte position
// and one byte at a time, with the per-block rules tested as they are.
#include "app/pipeline/ReceivePipeline.h"
#include "app/pipeline/tests/RecordingSinks.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QByteArray B(const char *s, size_t n) {
    return QByteArray(s, qsizetype(n));
}
#define BYTES(lit) B(lit, sizeof(lit) - 1)

// What a case is checked on: everything a split could change when it should not.
struct Outcome {
    QByteArray terminal;
    QList<QByteArray> requests;
    QByteArray printed;
    int printJobs = 0;
    int printEnds = 0;
    QList<QByteArray> editor;
    QList<QByteArray> dictation;
    QByteArray sent;
    int queuedSends = 0;
    bool transferActive = false;
    int panelHidden = 0;
    QList<bool> transferFailures;
    QStringList messages;
    bool operator==(const Outcome &) const = default;
};

std::ostream &operator<<(std::ostream &os, const Outcome &o) {
    os << "terminal=" << o.terminal.toHex(' ').constData() << " requests=" << o.requests.size()
       << " printed=" << o.printed.toHex(' ').constData() << " jobs=" << o.printJobs << "/" << o.printEnds
       << " editor=" << o.editor.size() << " dictation=" << o.dictation.size()
       << " sent=" << o.sent.toHex(' ').constData() << " queued=" << o.queuedSends
       << " active=" << o.transferActive << " hidden=" << o.panelHidden
       << " failures=" << o.transferFailures.size() << " messages=" << o.messages.join(" / ").toStdString();
    for (const QByteArray &e : o.editor) {
        os << " [editor " << e.toHex(' ').constData() << "]";
    }
    return os;
}

enum Setup : unsigned {
    None = 0,
    Transfer = 1,      // an upload waits for the host's replies
    AudioTransfer = 2, // ... and came from the dictation window
    Printing = 4,      // a print job is already running
    NoFolders = 8,     // template/abbreviation folders not set
};

struct Case {
    const char *name;
    QList<QByteArray> blocks;
    unsigned setup;
    Outcome want;
    bool splitInvariant; // splitting the concatenated blocks anywhere gives the same outcome
};

PipelineSettings testSettings() {
    PipelineSettings s;
    s.KeySetQuery = "whoareu";
    s.KeySetReply = "orvavt";
    s.EnablePCBeep = "yes";
    s.LoginConversation = "see \"login:\" answer \"lab01\"";
    s.CaptureDirectory = QStringLiteral("/nonexistent-capture");
    return s;
}

Outcome run(const Case &c, const QList<QByteArray> &blocks) {
    RecordingSinks sinks;
    sinks.transferActive = c.setup & Transfer;
    sinks.audio = c.setup & AudioTransfer;
    sinks.foldersSet = !(c.setup & NoFolders);
    ReceivePipeline p(sinks, testSettings());
    if (c.setup & Printing) {
        p.process("\x1B[5i");
        sinks.printBegins = 0;
    }
    for (const QByteArray &b : blocks) {
        p.process(b);
    }
    Outcome o;
    o.terminal = sinks.terminal;
    o.requests = sinks.requests;
    o.printed = sinks.printed;
    o.printJobs = sinks.printBegins;
    o.printEnds = sinks.printEnds;
    o.editor = sinks.editor;
    o.dictation = sinks.dictation;
    o.sent = sinks.link.sent;
    o.queuedSends = sinks.queuedSends;
    o.transferActive = sinks.transferActive;
    o.panelHidden = sinks.panelHidden;
    o.transferFailures = sinks.transferFailures;
    o.messages = sinks.messages;
    return o;
}

Outcome want(std::function<void(Outcome &)> f) {
    Outcome o;
    f(o);
    return o;
}

const QByteArray longPrefix(60, 'p');

const QList<Case> &cases() {
    static const QList<Case> table = {
        {"frame over three blocks",
         {BYTES("ab\x9F"
                "obj\x03"),
          BYTES("10\x03"),
          BYTES("5\x03"
                "cap\x03text\x9B"
                "cd")},
         None,
         want([](Outcome &o) {
             o.terminal = "abcd";
             o.messages = QStringList{"0|cap|text"};
         }),
         true},
        {"two frames, text around and between them shown",
         {BYTES("A\x9Fx\x03"
                "1\x9B"
                "B\x9Fy\x03"
                "2\x9B"
                "C")},
         None,
         want([](Outcome &o) {
             o.terminal = "ABC";
             o.requests = {BYTES("x\x03"
                                 "1"),
                           BYTES("y\x03"
                                 "2")};
         }),
         true},
        // A host form destroyed, the next screen drawn, and a new form built, as one write.
        {"screen between destroy and build frames",
         {BYTES("\x9Fws1\x03"
                "2\x9B\x9F"
                "frm1\x03"
                "2\x9B\x1B[H\x1B[2J\x1B[1;1HHOST FORM\x1B[22;1HKey: "
                "\x9Fws1\x03"
                "1\x03"
                "3\x9B")},
         None,
         want([](Outcome &o) {
             o.terminal = BYTES("\x1B[H\x1B[2J\x1B[1;1HHOST FORM\x1B[22;1HKey: ");
             o.requests = {BYTES("ws1\x03"
                                 "2"),
                           BYTES("frm1\x03"
                                 "2"),
                           BYTES("ws1\x03"
                                 "1\x03"
                                 "3")};
         }),
         true},
        {"held ESC completes a print job",
         {BYTES("hello\x1B"), BYTES("[5iDATA\x1B[4iworld")},
         None,
         want([](Outcome &o) {
             o.terminal = "helloworld";
             o.printed = "DATA";
             o.printJobs = 1;
             o.printEnds = 1;
         }),
         true},
        {"held ESC continues an ordinary sequence",
         {BYTES("x\x1B["), BYTES("1mY")},
         None,
         want([](Outcome &o) { o.terminal = BYTES("x\x1B[1mY"); }),
         true},
        {"print job alone shows nothing",
         {BYTES("\x1B[5iHELLO\x1B[4i")},
         None,
         want([](Outcome &o) {
             o.printed = "HELLO";
             o.printJobs = 1;
             o.printEnds = 1;
         }),
         true},
        {"text around a print job",
         {BYTES("a\x1B[5iP1\x1B[4i"
                "b\x1B[5iP2\x1B[4i"
                "c")},
         None,
         want([](Outcome &o) {
             o.terminal = "abc";
             o.printed = "P1P2";
             o.printJobs = 2;
             o.printEnds = 2;
         }),
         true},
        {"print job without its stop sequence",
         {BYTES("x\x1B[5iDATA")},
         None,
         want([](Outcome &o) {
             o.terminal = "x";
             o.printed = "DATA";
             o.printJobs = 1;
         }),
         true},
        {"stray stop sequence is removed",
         {BYTES("a\x1B[4i"
                "b")},
         None,
         want([](Outcome &o) { o.terminal = "ab"; }),
         true},
        {"print data never drives the handshake",
         {BYTES("AB\x06|CD\x07\x02@|r|@\x03whoareu")},
         Printing | Transfer,
         want([](Outcome &o) {
             o.printed = BYTES("AB\x06|CD\x07\x02@|r|@\x03whoareu");
             o.transferActive = true;
         }),
         true},
        {"held ESC before a frame joins the text after it",
         {BYTES("x\x1B\x9Fw\x03"
                "1"),
          BYTES("\x9B[5iP\x1B[4iy")},
         None,
         want([](Outcome &o) {
             o.terminal = "xy";
             o.requests = {BYTES("w\x03"
                                 "1")};
             o.printed = "P";
             o.printJobs = 1;
             o.printEnds = 1;
         }),
         true},
        {"audio-only report opens dictation",
         {BYTES("pre\x02@|KX_AUDIOONLY~1^KX_A~b|@\x03post")},
         None,
         want([](Outcome &o) {
             o.terminal = "prepost";
             o.dictation = {"KX_AUDIOONLY~1^KX_A~b"};
         }),
         true},
        {"audio marker beyond 50 characters opens the editor",
         {"\x02@|" + longPrefix + "KX_AUDIOONLY~1|@\x03"},
         None,
         want([](Outcome &o) { o.editor = {longPrefix + "KX_AUDIOONLY~1"}; }),
         true},
        {"report end marker split over blocks",
         {BYTES("\x02@|KX_A~1|@"), BYTES("\x03rest")},
         None,
         want([](Outcome &o) {
             o.terminal = "rest";
             o.editor = {"KX_A~1"};
         }),
         true},
        {"report collected over blocks",
         {BYTES("a\x02@|line1\r\n"), BYTES("line2\r\n"), BYTES("line3|@\x03z")},
         None,
         want([](Outcome &o) {
             o.terminal = "az";
             o.editor = {"line1\r\nline2\r\nline3"};
         }),
         true},
        {"two reports in one block",
         {BYTES("a\x02@|r1|@\x03"
                "b\x02@|r2|@\x03"
                "c")},
         None,
         want([](Outcome &o) {
             o.terminal = "abc";
             o.editor = {"r1", "r2"};
         }),
         true},
        {"report without editor folders sends ESC",
         {BYTES("\x02@|r|@\x03")},
         NoFolders,
         want([](Outcome &o) {
             o.sent = "\x1B";
             o.messages = QStringList{"2|Orva|Pendra is not enabled as the Template and/or Abbreviations "
                                      "folder\r\nlocation(s) have "
                                      "not been specified. The selected request can not be "
                                      "displayed.\r\n\r\nTo resolve this issue, "
                                      "open the options dialog and specify the necessary\r\nlocations on the "
                                      "'Word Processing' page."};
         }),
         true},
        {"report opened from the host ends a waiting upload",
         {BYTES("|\x02@|r|@\x03")},
         Transfer,
         want([](Outcome &o) {
             o.editor = {"r"};
             o.panelHidden = 1;
         }),
         true},
        {"ACK sends the next lines",
         {BYTES("\x06")},
         Transfer,
         want([](Outcome &o) {
             o.queuedSends = 1;
             o.transferActive = true;
         }),
         true},
        {"bar ends the upload",
         {BYTES("xx|yy")},
         Transfer,
         want([](Outcome &o) {
             o.terminal = "yy";
             o.panelHidden = 1;
         }),
         true},
        {"ACK and bar in one block",
         {BYTES("\x06|")},
         Transfer,
         want([](Outcome &o) {
             o.queuedSends = 1;
             o.panelHidden = 1;
         }),
         false},
        {"NAK abandons the upload, brings nothing back and the text goes on",
         {BYTES("\x15rest")},
         Transfer,
         want([](Outcome &o) { o.terminal = BYTES("\x15rest"); }),
         true},
        {"NAK then the host's next report in the same block opens that report",
         {BYTES("\x15\x02@|next|@\x03")},
         Transfer | AudioTransfer,
         want([](Outcome &o) {
             o.terminal = BYTES("\x15");
             o.editor = {"next"};
         }),
         true},
        {"BEL fails a report upload",
         {BYTES("x\x07y")},
         Transfer,
         want([](Outcome &o) { o.transferFailures = {false}; }),
         false},
        {"BEL with bar in the same block",
         {BYTES("\x07|z")},
         Transfer,
         want([](Outcome &o) {
             o.terminal = "z";
             o.panelHidden = 1;
         }),
         false},
        {"BEL ends an audio upload and the screen goes on",
         {BYTES("\x07"), BYTES("after")},
         Transfer | AudioTransfer,
         want([](Outcome &o) {
             o.terminal = "after";
             o.panelHidden = 1;
             o.transferFailures = {true};
         }),
         false},
        {"key-set query answered",
         {BYTES("xwhoareuy")},
         None,
         want([](Outcome &o) {
             o.terminal = "xwhoareuy";
             o.sent = "orvavt\r";
         }),
         false},
        {"login answered once",
         {BYTES("Welcome\r\nlogin: "), BYTES("login: ")},
         None,
         want([](Outcome &o) {
             o.terminal = "Welcome\r\nlogin: login: ";
             o.sent = "lab01\n";
         }),
         false},
        {"split login prompt is not recognised",
         {BYTES("log"), BYTES("in: ")},
         None,
         want([](Outcome &o) { o.terminal = "login: "; }),
         false},
        {"bad frames are dropped",
         {BYTES("a\x9F\x9B"
                "b\x9Fw\x03X\x9B"
                "c\x9Fw\x03"
                "11\x9B"
                "d")},
         None,
         want([](Outcome &o) { o.terminal = "abcd"; }),
         true},
    };
    return table;
}

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.name;
}

class PipelineCases : public ::testing::TestWithParam<Case> {};

TEST_P(PipelineCases, AsGiven) {
    const Case &c = GetParam();
    EXPECT_EQ(run(c, c.blocks), c.want);
}

TEST_P(PipelineCases, WholeAndSplitAtEveryByte) {
    const Case &c = GetParam();
    QByteArray whole;
    for (const QByteArray &b : c.blocks) {
        whole += b;
    }
    if (!c.splitInvariant) {
        // Per-block rules: only the single block is checked against the case.
        if (c.blocks.size() == 1) {
            EXPECT_EQ(run(c, {whole}), c.want);
        }
        return;
    }
    EXPECT_EQ(run(c, {whole}), c.want) << "whole";
    for (qsizetype i = 1; i < whole.size(); ++i) {
        EXPECT_EQ(run(c, {whole.left(i), whole.mid(i)}), c.want) << "split at " << i;
    }
    QList<QByteArray> bytes;
    for (char ch : whole) {
        bytes.append(QByteArray(1, ch));
    }
    EXPECT_EQ(run(c, bytes), c.want) << "one byte at a time";
}

INSTANTIATE_TEST_SUITE_P(Table, PipelineCases, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case> &info) {
                             std::string n = info.param.name;
                             for (char &ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) {
                                     ch = '_';
                                 }
                             }
                             return n;
                         });

TEST(Pipeline, FramesDoNotDependOnBlockBoundaries) {
    const QByteArray whole = BYTES("A\x9Fx\x03"
                                   "1\x9B"
                                   "B\x9Fy\x03"
                                   "2\x9B"
                                   "C");
    const QList<QByteArray> frames{BYTES("x\x03"
                                         "1"),
                                   BYTES("y\x03"
                                         "2")};
    for (qsizetype i = 0; i < whole.size(); ++i) {
        for (qsizetype j = i; j < whole.size(); ++j) {
            RecordingSinks sinks;
            ReceivePipeline p(sinks, testSettings());
            p.process(whole.left(i));
            p.process(whole.mid(i, j - i));
            p.process(whole.mid(j));
            EXPECT_EQ(sinks.requests, frames) << i << "," << j;
            EXPECT_EQ(sinks.terminal, "ABC") << i << "," << j;
        }
    }
}

TEST(Pipeline, KeySetQueryAndLoginArePerBlock) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    p.process("who");
    p.process("areu");
    EXPECT_EQ(sinks.link.sent, "") << "a split key-set query is not recognised";
    p.process("login: ");
    p.process("login: ");
    EXPECT_EQ(sinks.link.sent, "lab01\n");
    EXPECT_TRUE(p.loginAnswered());
    p.connectionStarted();
    p.process("login: ");
    EXPECT_EQ(sinks.link.sent, "lab01\nlab01\n") << "answered again on a new connection";
}

TEST(Pipeline, LoginPromptAndReplyAreKeyTexts) {
    const struct {
        const char *name;
        QByteArray conversation;
        QByteArray screen;
        QByteArray sent;
    } rows[] = {
        {"reply with CR", "see \"login:\" answer \"user#$013\"", "login: ", "user\r\n"},
        {"decoded quote stays in the reply", "see \"login:\" answer \"a#$034b\"", "login: ", "a\"b\n"},
        {"prompt with ESC", "see \"#$027[7mName\" answer \"x\"", BYTES("\x1B[7mName"), "x\n"},
        {"lone NUL reply", "see \"login:\" answer \"#$000\"", "login:", BYTES("\0\n")},
    };
    for (const auto &r : rows) {
        RecordingSinks sinks;
        PipelineSettings s = testSettings();
        s.LoginConversation = r.conversation;
        ReceivePipeline p(sinks, s);
        p.process(r.screen);
        EXPECT_EQ(sinks.link.sent, r.sent) << r.name;
    }
}

TEST(Pipeline, OneBeepPerBlock) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    p.process("a\x07"
              "b\x07");
    EXPECT_EQ(sinks.beeps, 1);
    p.process("\x07");
    EXPECT_EQ(sinks.beeps, 2);
    PipelineSettings quiet = testSettings();
    quiet.EnablePCBeep = "no";
    RecordingSinks silent;
    ReceivePipeline q(silent, quiet);
    q.process("\x07");
    EXPECT_EQ(silent.beeps, 0);
    EXPECT_EQ(silent.terminal, "\x07");
}

TEST(Pipeline, SelectionHoldKeepsTextAndProtocolBytes) {
    RecordingSinks sinks;
    sinks.transferActive = true;
    ReceivePipeline p(sinks, testSettings());
    p.setSelectionHold(true);
    p.process("\x06");
    EXPECT_EQ(sinks.queuedSends, 1) << "an ACK is not lost while the user selects";
    p.process("|screen1 ");
    EXPECT_FALSE(sinks.transferActive);
    p.process(BYTES("\x02@|report|@\x03screen2"));
    EXPECT_EQ(sinks.editor, QList<QByteArray>{"report"});
    p.process("login: ");
    EXPECT_EQ(sinks.link.sent, "lab01\n");
    EXPECT_EQ(sinks.terminal, "");
    p.setSelectionHold(false);
    EXPECT_EQ(sinks.terminal, "screen1 screen2login: ");
}

TEST(Pipeline, SelectionHoldIsBounded) {
    RecordingSinks sinks;
    PipelineLimits limits;
    limits.HeldText = 10;
    ReceivePipeline p(sinks, testSettings(), limits);
    p.setSelectionHold(true);
    p.process("123456");
    EXPECT_EQ(sinks.terminal, "");
    p.process("789012");
    EXPECT_EQ(sinks.terminal, "123456789012") << "an overflowing hold releases the text";
    EXPECT_FALSE(p.selectionHold());
    EXPECT_EQ(p.heldTextSize(), 0);
}

TEST(Pipeline, LoneFrameStartIsBoundedAndPassedOn) {
    RecordingSinks sinks;
    PipelineLimits limits;
    limits.Frame = 16;
    ReceivePipeline p(sinks, testSettings(), limits);
    p.process("a\x9F"
              "0123456789");
    EXPECT_TRUE(p.frameOpen());
    EXPECT_EQ(sinks.terminal, "a");
    p.process("abcdefghij");
    EXPECT_FALSE(p.frameOpen());
    EXPECT_EQ(sinks.terminal, "a0123456789abcdefghij");
    ASSERT_EQ(sinks.messages.size(), 1);
    EXPECT_TRUE(sinks.messages[0].startsWith("1|")) << "a warning";
    p.process(QByteArray("\x9F") + QByteArray(40, 'z'));
    EXPECT_FALSE(p.frameOpen());
    EXPECT_EQ(sinks.terminal.right(40), QByteArray(40, 'z'));
}

TEST(Pipeline, ReportIsBounded) {
    RecordingSinks sinks;
    PipelineLimits limits;
    limits.Report = 8;
    ReceivePipeline p(sinks, testSettings(), limits);
    p.process(BYTES("\x02@|1234"));
    EXPECT_TRUE(p.reportCollecting());
    p.process("56789after");
    EXPECT_FALSE(p.reportCollecting());
    EXPECT_TRUE(p.reportMessage().isEmpty());
    EXPECT_EQ(sinks.terminal, "56789after");
    EXPECT_TRUE(sinks.editor.isEmpty());
    EXPECT_EQ(sinks.busy, (QList<bool>{true, false}));
}

TEST(Pipeline, ResetAndReconnectClearEveryOpenState) {
    for (bool reconnect : {false, true}) {
        RecordingSinks sinks;
        sinks.itemTransfer = false;
        ReceivePipeline p(sinks, testSettings());
        p.process(BYTES("\x1B[5iPRINT"));
        p.process(BYTES("more\x1B"));
        EXPECT_TRUE(p.printing());
        EXPECT_FALSE(p.heldTail().isEmpty());
        RecordingSinks other;
        ReceivePipeline q(other, testSettings());
        q.process(BYTES("\x9F"
                        "open"));
        q.process(BYTES("x\x02@|rep"));
        EXPECT_TRUE(q.frameOpen());
        other.transferActive = true;
        other.audio = true;
        other.itemTransfer = true;
        reconnect ? p.connectionStarted() : p.reset();
        reconnect ? q.connectionStarted() : q.reset();
        EXPECT_FALSE(p.printing());
        EXPECT_EQ(sinks.printEnds, 1) << "the job is ended";
        EXPECT_TRUE(p.heldTail().isEmpty());
        EXPECT_FALSE(q.frameOpen());
        EXPECT_TRUE(q.frameBuffer().isEmpty());
        EXPECT_FALSE(other.transferActive);
        EXPECT_FALSE(other.audio);
        EXPECT_FALSE(other.itemTransfer);
        p.process("screen");
        EXPECT_EQ(sinks.terminal, "screen");
        q.process("screen");
        EXPECT_EQ(other.terminal, "screen");
    }
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    p.process(BYTES("\x02@|rep"));
    EXPECT_TRUE(p.reportCollecting());
    p.reset();
    EXPECT_FALSE(p.reportCollecting());
    p.process(BYTES("text|@\x03"));
    EXPECT_TRUE(sinks.editor.isEmpty());
    EXPECT_EQ(sinks.terminal, BYTES("text|@\x03"));
}

TEST(Pipeline, WindowsOpenAfterTheBlock) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    p.process(BYTES("a\x9Fo\x03"
                    "10\x03"
                    "5\x03"
                    "c\x03t\x9B"
                    "b\x02@|r|@\x03"
                    "c"));
    EXPECT_EQ(sinks.log, (QStringList{"write", "message", "editor"}));
    EXPECT_EQ(sinks.terminal, "abc");
}

TEST(Pipeline, ReentrantBlocksKeepTheirOrder) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    bool once = true;
    sinks.onWrite = [&](const QByteArray &) {
        if (once) {
            once = false;
            p.process("second");
        }
    };
    p.process(BYTES("first\x02@|r|@\x03"));
    EXPECT_EQ(sinks.writes, (QList<QByteArray>{"first", "second"}));
}

TEST(Pipeline, ErrorGuardKeepsTheConnection) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    sinks.onWrite = [](const QByteArray &t) {
        if (t == "boom") {
            throw std::runtime_error("disk full");
        }
    };
    p.process("boom");
    // An error box with OK and Cancel.
    EXPECT_TRUE(sinks.messages.isEmpty());
    EXPECT_EQ(sinks.boxes.asked,
              QStringList{"Error condition detected|\"disk full\"Error Condition encountered "
                          "in the Telnet Receive: OutPuttoTerm"});
    EXPECT_EQ(sinks.boxes.askedButtons, QList<UserMessages::Buttons>{UserMessages::Buttons::OkCancel});
    p.process("fine");
    EXPECT_EQ(sinks.terminal, "boomfine");
}

TEST(Pipeline, FailingDeferredWindowDoesNotStopInput) {
    struct Throwing : RecordingSinks {
        void ShowEditor(const QByteArray &) override { throw std::runtime_error("no editor"); }
    } sinks;
    ReceivePipeline p(sinks, testSettings());
    p.process(BYTES("\x02@|r|@\x03"));
    p.process("next");
    EXPECT_EQ(sinks.terminal, "next");
}

TEST(Pipeline, SwapsApplyToScreenTextOnly) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    p.setSwapIntercepts({SwapIntercepts::parse("SWAP-1", "euro//65:66,67"),
                         SwapIntercepts::parse("COLOUR-1", "31 : 32"),
                         SwapIntercepts::parse("SWAP-2", ":never")});
    p.process(BYTES("xAy\x1B[31mz\x02@|A\x1B[31m|@\x03"));
    EXPECT_EQ(sinks.terminal, BYTES("xBCy\x1B[32mz"));
    EXPECT_EQ(sinks.editor, QList<QByteArray>{BYTES("A\x1B[31m")});
}

TEST(Pipeline, HostCaptureStopsAtControlFrame) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RecordingSinks sinks;
    PipelineSettings s = testSettings();
    s.CaptureDirectory = dir.path();
    ReceivePipeline p(sinks, s);
    // The start frame and data in one block: everything after it is captured, transformed.
    p.process(BYTES("s\x9F"
                    "c\x03"
                    "10\x03"
                    "2\x03"
                    "cap.txt\x9B"
                    "a\x02"
                    "b"));
    EXPECT_TRUE(p.hostCaptureOn());
    p.process(BYTES("\x03"
                    "c\xD0"
                    "d\x9Fother\x9F"
                    "control\x03"
                    "10\x03"
                    "3\x9Bshown"));
    EXPECT_FALSE(p.hostCaptureOn());
    QFile f(dir.filePath("cap.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toHex(' '), BYTES("a\xFC"
                                            "b\xFD"
                                            "c\r\nd\x9Fother")
                                          .toHex(' '));
    EXPECT_EQ(sinks.terminal, "sshown");
    EXPECT_EQ(sinks.link.sent, BYTES("\x03\x03"));
    EXPECT_EQ(sinks.captureButton, (QList<bool>{true, false}));
}

TEST(Pipeline, HostCaptureControlStopIsPerBlock) {
    QTemporaryDir dir;
    RecordingSinks sinks;
    PipelineSettings s = testSettings();
    s.CaptureDirectory = dir.path();
    ReceivePipeline p(sinks, s);
    p.process(BYTES("\x9F"
                    "c\x03"
                    "10\x03"
                    "2\x03"
                    "f\x9B"));
    p.process(BYTES("x\x9F"));
    p.process(BYTES("control\x03"
                    "10\x03"
                    "3\x9B"));
    EXPECT_TRUE(p.hostCaptureOn()) << "a 0x9F and \"control\" in different blocks is captured as data";
}

TEST(Pipeline, LocalCaptureGetsEveryHostByte) {
    RecordingSinks sinks;
    sinks.localCapture = true;
    ReceivePipeline p(sinks, testSettings());
    p.process(BYTES("a\x00"
                    "b\x07\x9F"
                    "fr"));
    p.process(BYTES("ame\x9B"));
    EXPECT_EQ(sinks.localCaptured, BYTES("ab\x9F"
                                         "frame\x9B"));
    sinks.localCaptureFails = true;
    p.process("x");
    EXPECT_FALSE(sinks.localCapture);
    EXPECT_EQ(sinks.localStops, 1);
}

TEST(Pipeline, ItemTransferTakesTheBlock) {
    RecordingSinks sinks;
    sinks.itemTransfer = true;
    sinks.localCapture = true;
    ReceivePipeline p(sinks, testSettings());
    p.process(BYTES("[221] filed\x00\r\n"));
    EXPECT_EQ(sinks.itemReplies, "[221] filed\r\n");
    EXPECT_EQ(sinks.terminal, "");
    EXPECT_EQ(sinks.localCaptured, "") << "export replies are not locally captured";
}

TEST(Pipeline, FailedPrintJobIsToldOnceAndNotShown) {
    RecordingSinks sinks;
    sinks.printerAvailable = false;
    ReceivePipeline p(sinks, testSettings());
    p.process(BYTES("a\x1B[5iDATA"));
    p.process("MORE");
    p.process(BYTES("END\x1B[4i"
                    "b"));
    EXPECT_EQ(sinks.terminal, "ab");
    EXPECT_EQ(sinks.printed, "");
    EXPECT_EQ(sinks.printEnds, 0);
    EXPECT_EQ(sinks.messages.size(), 1);
}

TEST(Pipeline, DictationSendText) {
    RecordingSinks sinks;
    ReceivePipeline p(sinks, testSettings());
    p.Telnet1SendText("");
    EXPECT_EQ(sinks.link.sent, "");
    EXPECT_FALSE(sinks.audio);
    p.Telnet1SendText("\x1B");
    EXPECT_FALSE(sinks.transferActive);
    EXPECT_TRUE(sinks.audio);
    p.Telnet1SendText("upload");
    EXPECT_TRUE(sinks.transferActive);
    p.Telnet1Send();
    EXPECT_EQ(sinks.queuedSends, 1);
    EXPECT_EQ(sinks.link.sent, "\x1Bupload");

    // An upload of the editor under way: the ESC waits for its end and leaves its flags alone.
    sinks.audio = false;
    p.Telnet1SendText("\x1B");
    EXPECT_EQ(sinks.link.sent, "\x1Bupload");
    EXPECT_EQ(sinks.heldSends, "\x1B");
    EXPECT_TRUE(sinks.transferActive);
    EXPECT_FALSE(sinks.audio);
}

TEST(Pipeline, SettingsFromSetup) {
    TOrvaSettings setup;
    setup.ResultDirectory = "/tmp/res/";
    setup.EnablePCBeep = "YES";
    setup.SwapLines = {{"COLOUR-1", "31:32"}};
    const PipelineSettings s = PipelineSettings::fromSetup(setup, QString());
    EXPECT_EQ(s.CaptureDirectory, "/tmp/res/capture");
    EXPECT_EQ(s.EnablePCBeep, "yes");
    EXPECT_TRUE(s.SwapIntercepts.isEmpty()) << "the key maps own the swap lines";
    EXPECT_EQ(PipelineSettings::fromSetup(setup, "/data/cap").CaptureDirectory, "/data/cap");
}

} // namespace
