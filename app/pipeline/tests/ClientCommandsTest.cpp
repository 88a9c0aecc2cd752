// handleobject and the client commands: error texts, dispatch, capture-file confinement and
// replies, the abbreviation list, file opening without a shell.
#include "app/pipeline/ClientCommands.h"
#include "app/pipeline/tests/RecordingSinks.h"
#include "common/LocalPath.h"
#include "common/SetupFile.h"
#include "common/testing/FailingDisk.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

QByteArray B(const char *s, size_t n) {
    return QByteArray(s, qsizetype(n));
}
#define BYTES(lit) B(lit, sizeof(lit) - 1)

QByteArray cmd(const QList<QByteArray> &entries) {
    QByteArray t = "obj\x03"
                   "10";
    for (const QByteArray &e : entries) {
        t += '\x03' + e;
    }
    return t;
}

struct Fixture {
    QTemporaryDir dir;
    RecordingSinks sinks;
    QList<std::function<void()>> deferred;
    ClientCommands commands{sinks, [this](std::function<void()> f) { deferred.append(std::move(f)); },
                            dir.filePath("capture")};
    void runDeferred() {
        for (auto &f : deferred) {
            f();
        }
        deferred.clear();
    }
};

TEST(HandleObject, ErrorTextsAndDispatch) {
    Fixture fx;
    EXPECT_EQ(fx.commands.handleobject(""), "E001-Empty Object Request");
    EXPECT_EQ(fx.commands.handleobject("w\x03X"), "E002 - Request Type \"X\" should be an number value.");
    EXPECT_EQ(fx.commands.handleobject("w\x03"
                                       "11"),
              "E003 - Request Type \"11\" is unknown.");
    EXPECT_EQ(fx.commands.handleobject("w\x03"
                                       "0"),
              "E003 - Request Type \"0\" is unknown.");
    EXPECT_EQ(fx.commands.handleobject("w"), "E003 - Request Type \"-1\" is unknown.");
    for (const char *bad : {"nan", "1e400", "0x10", "1,5", "inf"}) {
        EXPECT_EQ(fx.commands.handleobject(QByteArray("w\x03") + bad), TObjectRequest::E002Text(bad)) << bad;
    }
    EXPECT_TRUE(fx.sinks.requests.isEmpty());
    const QByteArray forms = "ws.ed\x03"
                             "1.2\x03"
                             "2\x03"
                             "x";
    EXPECT_EQ(fx.commands.handleobject(forms), "");
    EXPECT_EQ(fx.sinks.requests, QList<QByteArray>{forms}) << "types 1-9 get the whole request text";
    EXPECT_EQ(fx.commands.handleobject("w\x03"
                                       "9"),
              "");
    EXPECT_EQ(fx.sinks.requests.size(), 2);
}

TEST(ClientCommand, MissingFieldsAreEmpty) {
    Fixture fx;
    for (const QByteArray &t : {cmd({}), cmd({"1"}), cmd({"2"}), cmd({"3"}), cmd({"4"}), cmd({"5"}),
                                cmd({"x"}), cmd({"99"}), cmd({"1", "ORVAIMAGE"}), cmd({"1", "ORVAAUDIO"})}) {
        EXPECT_EQ(fx.commands.handleobject(t), "") << t.toHex().constData();
    }
    fx.runDeferred();
    EXPECT_EQ(fx.sinks.messages, QStringList{"0||"});
    EXPECT_EQ(fx.sinks.imageLists, QList<QByteArray>{","});
    EXPECT_TRUE(fx.sinks.playPositions.isEmpty());
}

TEST(ClientCommand, OpenImagesAudioOrFiles) {
    Fixture fx;
    fx.commands.handleobject(cmd({"1", "C:\\ANY\\OrvaImage", "123,456"}));
    fx.commands.handleobject(cmd({"1", "/some/dir/orvaimage", "12345"}));
    fx.commands.handleobject(cmd({"1", "X:orvaIMAGE", "9"}));
    EXPECT_EQ(fx.sinks.imageLists, (QList<QByteArray>{"123,456,", "12345,", "9,"}));
    fx.commands.handleobject(cmd({"1", "c:\\x\\OrvaAudio", "playfrom,1500"}));
    fx.commands.handleobject(cmd({"1", "ORVAAUDIO", "PLAYFROM,abc"}));
    fx.commands.handleobject(cmd({"1", "ORVAAUDIO", "PLAYFROM,99999999999"}));
    fx.commands.handleobject(cmd({"1", "ORVAAUDIO", "STOP,10"}));
    EXPECT_EQ(fx.sinks.playPositions, QList<int>{1500});
    EXPECT_TRUE(fx.sinks.opened.isEmpty());

    LocalPath::SetPathMap({{"\\\\srv\\share", "/mnt/share"}});
    fx.commands.handleobject(cmd({"1", "\\\\srv\\share\\docs\\report.pdf"}));
    fx.commands.handleobject(cmd({"1", "\\\\srv\\share\\bin\\viewer", "a b;$(rm -rf ~) \"c d\""}));
    LocalPath::SetPathMap({});
    EXPECT_EQ(fx.sinks.opened, QStringList{"/mnt/share/docs/report.pdf"});
    EXPECT_EQ(fx.sinks.programs, QStringList{"/mnt/share/bin/viewer|a|b;$(rm|-rf|~)|c d|@/mnt/share/bin"})
        << "parameters become an argument list; nothing reaches a shell";
}

TEST(ClientCommand, ProgramsStartWithoutAShell) {
    QTemporaryDir dir;
    PipelineSinks real;
    const QString target = dir.filePath("a;touch injected $(touch injected2)");
    real.StartProgram("/usr/bin/touch", {target}, dir.path());
    const QDeadlineTimer deadline(10000);
    while (!QFile::exists(target) && !deadline.hasExpired()) {
        QThread::msleep(5);
    }
    EXPECT_TRUE(QFile::exists(target)) << "the whole argument is one file name";
    EXPECT_FALSE(QFile::exists(dir.filePath("injected")));
    EXPECT_FALSE(QFile::exists(dir.filePath("injected2")));
}

TEST(ClientCommand, MessageIsDeferredAndPlain) {
    Fixture fx;
    fx.commands.handleobject(cmd({"5", "Cap", "<b>not bold</b>\xE9"}));
    EXPECT_TRUE(fx.sinks.messages.isEmpty()) << "never shown inside the block";
    fx.runDeferred();
    EXPECT_EQ(fx.sinks.messages, QStringList{QString::fromUtf8("0|Cap|<b>not bold</b>\u00E9")});
}

TEST(ClientCommand, AbbreviationList) {
    Fixture fx;
    THostAbbreviations &a = fx.commands.Abbreviations;
    EXPECT_FALSE(a.ListCreated);
    fx.commands.handleobject(cmd({"4", "MyAbbr", "Text"}));
    EXPECT_TRUE(a.ListCreated) << "any command 4 creates the list";
    EXPECT_EQ(a.LookupName, "myabbr") << "the answer says which name it answers";
    EXPECT_EQ(a.value("myabbr"), "Text");
    EXPECT_EQ(a.value("MYABBR"), "Text");
    EXPECT_EQ(a.AbbreviationStatus, "Text");
    EXPECT_EQ(a.LookupAnswer, "Text");
    fx.commands.handleobject(cmd({"4", "MyAbbr"}));
    EXPECT_EQ(a.AbbreviationStatus, "Text") << "a name without a value changes nothing";
    EXPECT_EQ(a.List.size(), 1);
    fx.commands.handleobject(cmd({"4", "SystemAbrAppend", "bp=blood pressure", "a=b=c", "bare"}));
    EXPECT_EQ(a.AbbreviationStatus, "append");
    EXPECT_EQ(a.LookupAnswer, "Text") << "list maintenance is not a look-up answer";
    EXPECT_EQ(a.value("BP"), "blood pressure");
    EXPECT_EQ(a.value("a"), "b=c");
    EXPECT_EQ(a.List.size(), 4);
    fx.commands.handleobject(cmd({"4", " my abbr ", "Other"}));
    EXPECT_EQ(a.value("my abbr"), "Other");
    fx.commands.handleobject(cmd({"4", "Key=With=Eq", "v"}));
    EXPECT_EQ(a.value("key=with=eq"), "v") << "names holding = are kept whole";
    fx.commands.handleobject(cmd({"4", "systemabrreplace", "x=1"}));
    EXPECT_EQ(a.AbbreviationStatus, "replace");
    EXPECT_EQ(a.List.size(), 1);
    fx.commands.handleobject(cmd({"4", "System Abr  NOTfound"}));
    EXPECT_EQ(a.AbbreviationStatus, "!!NOT FOUND!!");
    EXPECT_EQ(a.LookupAnswer, "!!NOT FOUND!!");
    EXPECT_EQ(a.LookupName, "") << "the bare refusal names no abbreviation";
    fx.commands.handleobject(cmd({"4", "SystemAbr  RESET"}));
    EXPECT_TRUE(a.List.isEmpty());
    EXPECT_EQ(a.AbbreviationStatus, "reset");
    a.List = {{"Dup", "first"}, {"dup", "second"}};
    EXPECT_EQ(a.value("DUP"), "first") << "first match wins";
}

struct CaptureCase {
    const char *name;
    QByteArray hostPath;
    char reply;
    const char *file; // relative to the capture folder, when created
};

TEST(ClientCommand, CaptureFileIsConfined) {
    const CaptureCase rows[] = {
        {"bare name", "cap.txt", '\x03', "cap.txt"},
        {"relative folder", "sub\\deeper\\cap.txt", '\x03', "sub/deeper/cap.txt"},
        {"parent folder", "..\\escape.txt", '3', nullptr},
        {"parent inside", "sub\\..\\..\\escape.txt", '3', nullptr},
        {"absolute outside", "/etc/cap.txt", '3', nullptr},
        {"home dotfile", "/root/.bashrc", '3', nullptr},
        {"unmapped drive", "C:\\temp\\cap.txt", '3', nullptr},
        {"unmapped share", "\\\\srv\\x\\cap.txt", '3', nullptr},
        {"empty", "", '2', nullptr},
        {"folder only", "sub\\", '2', nullptr},
    };
    for (const CaptureCase &c : rows) {
        Fixture fx;
        fx.commands.handleobject(cmd({"2", c.hostPath}));
        EXPECT_EQ(fx.sinks.link.sent, QByteArray(1, c.reply)) << c.name;
        EXPECT_EQ(fx.commands.Capture.isOn(), c.reply == '\x03') << c.name;
        if (c.file) {
            EXPECT_TRUE(QFile::exists(fx.dir.filePath(QStringLiteral("capture/") + c.file))) << c.name;
        }
    }
    EXPECT_FALSE(QFile::exists("/etc/cap.txt"));
}

// A Windows result folder mapped through pathmap: the capture folder under it is the mapped one,
// and a host path naming a file inside it (as the host knows it) is taken, not refused.
TEST(ClientCommand, CaptureFolderIsMappedThroughPathMap) {
    QTemporaryDir dir;
    const TOrvaSettings s = SetupFile::Parse(
        "rtfresultdirectory = C:\\orva\\results\\\npathmap = C:\\orva => " + dir.path().toUtf8(),
        "/opt/orva/");
    ASSERT_EQ(s.CaptureDirectory, dir.filePath("results/capture/"));
    LocalPath::SetPathMap(s.PathMap);
    const struct {
        const char *name;
        QByteArray hostPath;
        char reply;
        const char *file;
    } rows[] = {
        {"bare name", "cap.txt", '\x03', "results/capture/cap.txt"},
        {"host path inside", "C:\\orva\\results\\capture\\sub\\cap.txt", '\x03',
         "results/capture/sub/cap.txt"},
        {"host path outside", "C:\\orva\\results\\cap.txt", '3', nullptr},
    };
    for (const auto &c : rows) {
        RecordingSinks sinks;
        ClientCommands commands{sinks, [](std::function<void()> f) { f(); }, s.CaptureDirectory};
        commands.handleobject(cmd({"2", c.hostPath}));
        EXPECT_EQ(sinks.link.sent, QByteArray(1, c.reply)) << c.name;
        commands.handleobject(cmd({"3"}));
        if (c.file) {
            EXPECT_TRUE(QFile::exists(dir.filePath(c.file))) << c.name;
        }
    }
    LocalPath::SetPathMap({});
    EXPECT_FALSE(QFile::exists(dir.filePath("results/cap.txt")));
    EXPECT_EQ(QDir::current().entryList({"C:*"}), QStringList()) << "nothing under the current folder";
}

TEST(ClientCommand, CaptureAbsolutePathInsideAndLinksOut) {
    Fixture fx;
    const QString inside = fx.dir.filePath("capture/abs/cap.txt");
    fx.commands.handleobject(cmd({"2", inside.toUtf8()}));
    EXPECT_EQ(fx.sinks.link.sent, "\x03");
    EXPECT_TRUE(QFile::exists(inside));

    Fixture linked;
    QTemporaryDir outside;
    ASSERT_TRUE(QDir().mkpath(linked.dir.filePath("capture")));
    ASSERT_TRUE(QFile::link(outside.path(), linked.dir.filePath("capture/out")));
    linked.commands.handleobject(cmd({"2", "out\\cap.txt"}));
    EXPECT_EQ(linked.sinks.link.sent, "3") << "a link must not lead the file out of the capture folder";
    EXPECT_FALSE(QFile::exists(outside.filePath("cap.txt")));

    // Nor may it make folders out there before the file is refused.
    linked.sinks.link.sent.clear();
    linked.commands.handleobject(cmd({"2", "out\\new\\deeper\\cap.txt"}));
    EXPECT_EQ(linked.sinks.link.sent, "3");
    EXPECT_EQ(QDir(outside.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());

    // A link that stays inside the capture folder is followed.
    ASSERT_TRUE(QDir().mkpath(linked.dir.filePath("capture/real")));
    ASSERT_TRUE(QFile::link(linked.dir.filePath("capture/real"), linked.dir.filePath("capture/alias")));
    linked.sinks.link.sent.clear();
    linked.commands.handleobject(cmd({"2", "alias\\made\\cap.txt"}));
    EXPECT_EQ(linked.sinks.link.sent, "\x03");
    EXPECT_TRUE(QFile::exists(linked.dir.filePath("capture/real/made/cap.txt")));
}

TEST(ClientCommand, CaptureFolderThatCannotBeMade) {
    Fixture fx;
    QFile blocker(fx.dir.filePath("capture"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    fx.commands.handleobject(cmd({"2", "cap.txt"}));
    EXPECT_EQ(fx.sinks.link.sent, "3");
    EXPECT_FALSE(fx.commands.Capture.isOn());
}

TEST(ClientCommand, CaptureStartStopAndReplace) {
    Fixture fx;
    fx.commands.handleobject(cmd({"3"}));
    EXPECT_EQ(fx.sinks.link.sent, "3") << "stop without a capture";
    fx.sinks.link.sent.clear();
    fx.commands.handleobject(cmd({"2", "one.txt"}));
    fx.commands.writeCapture(BYTES("a\x02\x03\xD0"));
    fx.commands.handleobject(cmd({"2", "two.txt"}));
    fx.commands.writeCapture("b");
    fx.commands.handleobject(cmd({"3"}));
    EXPECT_EQ(fx.sinks.link.sent, BYTES("\x03\x03\x03"));
    EXPECT_EQ(fx.sinks.captureButton, (QList<bool>{true, false, true, false}));
    QFile one(fx.dir.filePath("capture/one.txt"));
    ASSERT_TRUE(one.open(QIODevice::ReadOnly));
    EXPECT_EQ(one.readAll(), BYTES("a\xFC\xFD\r\n")) << "the first file is closed before the second opens";
    QFile two(fx.dir.filePath("capture/two.txt"));
    ASSERT_TRUE(two.open(QIODevice::ReadOnly));
    EXPECT_EQ(two.readAll(), "b");
    // Starting again replaces the old content.
    fx.commands.handleobject(cmd({"2", "two.txt"}));
    fx.commands.handleobject(cmd({"3"}));
    EXPECT_EQ(QFileInfo(fx.dir.filePath("capture/two.txt")).size(), 0);
}

// Captures hold patient data: the folders made for them and the files are the owner's alone,
// whatever the umask, and a write that fails ends the capture instead of losing bytes unseen.
TEST(ClientCommand, CaptureIsOwnerOnlyAndFailsVisibly) {
    Fixture fx;
    const mode_t before = ::umask(022);
    fx.commands.handleobject(cmd({"2", "sub\\cap.txt"}));
    ::umask(before);
    ASSERT_TRUE(fx.commands.Capture.isOn());
    const auto mode = [](const QString &path) {
        struct stat st;
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    };
    EXPECT_EQ(mode(fx.dir.filePath("capture")), 0700);
    EXPECT_EQ(mode(fx.dir.filePath("capture/sub")), 0700);
    EXPECT_EQ(mode(fx.dir.filePath("capture/sub/cap.txt")), 0600);
    fx.commands.writeCapture("first block");
    {
        FileSizeLimit limit(64);
        fx.commands.writeCapture(QByteArray(100, 'x'));
    }
    EXPECT_FALSE(fx.commands.Capture.isOn());
    EXPECT_EQ(fx.sinks.captureButton, (QList<bool>{true, false}));
    QFile f(fx.dir.filePath("capture/sub/cap.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("first block")) << "what reached the file stays";
}

TEST(ClientCommand, FileThatCannotBeCreated) {
    Fixture fx;
    ASSERT_TRUE(QDir().mkpath(fx.dir.filePath("capture/taken")));
    fx.commands.handleobject(cmd({"2", "taken"}));
    EXPECT_EQ(fx.sinks.link.sent, "2");
    EXPECT_FALSE(fx.commands.Capture.isOn());
}

// The file the user chose for an import may lie outside the capture folder; only that one file.
TEST(ClientCommand, ImportTargetIsTheOneFileOutside) {
    Fixture fx;
    ASSERT_TRUE(QDir().mkpath(fx.dir.filePath("chosen")));
    const QString target = fx.dir.filePath("chosen/out.txt");
    fx.commands.ImportTarget = target;
    const struct {
        QByteArray hostPath;
        char reply;
    } cases[] = {
        {QFile::encodeName(target), '\x03'},
        {QFile::encodeName(fx.dir.filePath("chosen/./out.txt")), '\x03'},
        {QFile::encodeName(fx.dir.filePath("chosen/other.txt")), '3'},
        {QFile::encodeName(fx.dir.filePath("out.txt")), '3'},
    };
    for (const auto &c : cases) {
        char reply = 0;
        const QString where = fx.commands.captureTarget(c.hostPath, reply);
        EXPECT_EQ(reply, c.reply) << c.hostPath.constData();
        EXPECT_EQ(where.isEmpty(), c.reply != '\x03') << c.hostPath.constData();
    }
    ASSERT_TRUE(QDir().mkpath(target)); // a folder where the file should go
    char reply = 0;
    EXPECT_TRUE(fx.commands.captureTarget(QFile::encodeName(target), reply).isEmpty());
    EXPECT_EQ(reply, '2');
    fx.commands.ImportTarget.clear();
    EXPECT_TRUE(
        fx.commands.captureTarget(QFile::encodeName(fx.dir.filePath("chosen/x.txt")), reply).isEmpty());
    EXPECT_EQ(reply, '3');
}

} // namespace
