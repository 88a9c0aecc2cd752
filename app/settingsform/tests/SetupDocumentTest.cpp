// The settings form's reading and writing of the setup file, and its list operations.
// Regenerate the golden file on purpose with ORVA_REGENERATE_GOLDEN=1.
#include "app/settingsform/SetupDocument.h"
#include "common/SetupFile.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const SetupDocument::Colours kColours{"0,128,32768", "0,1,2", "255,65535"};

// Every group of the written file, with a switched-off entry where a group has one.
QByteArray everyGroup() {
    return "Host Name = lab1:2023\r\n"
           "login conversation = see \"login:\" answer \"orva#$013\"\r\n"
           "+keysetquery = \"whoareu\"\r\n"
           "+keysetreply = \"orvavt\"\r\n"
           "scroll lines = 500\r\n"
           "enable PC beep = no\r\n"
           "printer name = \"lab-printer\"\r\n"
           "Foreground Colors = 1,2,3\r\n"
           "BoldForeground Colors = 4,5,6\r\n"
           "use graphics font = true\r\n"
           "graphics font resource = 1\r\n"
           "KEYMAP_EX-Ctrl+F5 = {hot}\r\n"
           "+KEYMAP_EX-Shift+F6 = abc#$013\r\n"
           "source directory = /srv/images/\r\n"
           "alternate source = /srv/alt1/\r\n"
           "+alternate source = /srv/alt2/\r\n"
           "+subdirectory = ****....\r\n"
           "secure image name = secure.png\r\n"
           "no image name = noimage.png\r\n"
           "halt on server fail = yes\r\n"
           "printer available = yes\r\n"
           "captureset = 2,1,18:\"REQUEST:\"\r\n"
           "+captureset = 3,1,8:\"LAB:\"\r\n"
           "rtfresult directory = /var/orva/results/\r\n"
           "+rtfabbreviation directory = /var/orva/abbrev/\r\n"
           "template directory = /var/orva/templates/\r\n"
           "show warnings = yes\r\n"
           "custom dictionary = /var/orva/custom.dic\r\n"
           "pathmap = \\\\srv\\img => /srv/images\r\n"
           "capturedirectory = /var/orva/capture/\r\n"
           "SWAP-1 = abc\r\n"
           "SWAP-2 = def\r\n"
           "*d3filed = \"x\"\r\n"
           "keymap-F1 = \r\n";
}

TOrvaSettings parsed(const QByteArray &text) {
    return SetupFile::Parse(text, QStringLiteral("/opt/orva/"));
}

void expectSameSettings(const TOrvaSettings &a, const TOrvaSettings &b) {
    EXPECT_EQ(a.HostName, b.HostName);
    EXPECT_EQ(a.HostPort, b.HostPort);
    EXPECT_EQ(a.LoginConversation, b.LoginConversation);
    EXPECT_EQ(a.KeySetQuery, b.KeySetQuery);
    EXPECT_EQ(a.KeySetReply, b.KeySetReply);
    EXPECT_EQ(a.ScrollLines, b.ScrollLines);
    EXPECT_EQ(a.EnablePCBeep, b.EnablePCBeep);
    EXPECT_EQ(a.PrinterName, b.PrinterName);
    EXPECT_EQ(a.UseGraphicsFont, b.UseGraphicsFont);
    EXPECT_EQ(a.GraphicsFontResource, b.GraphicsFontResource);
    EXPECT_EQ(a.KeyMapLines, b.KeyMapLines);
    EXPECT_EQ(a.SwapLines, b.SwapLines);
    EXPECT_EQ(a.ImageSources, b.ImageSources);
    EXPECT_EQ(a.SubDirectoryMask, b.SubDirectoryMask);
    EXPECT_EQ(a.SecureImageName, b.SecureImageName);
    EXPECT_EQ(a.NoImageName, b.NoImageName);
    EXPECT_EQ(a.HaltOnServerFail, b.HaltOnServerFail);
    EXPECT_EQ(a.PrinterAvailable, b.PrinterAvailable);
    EXPECT_EQ(a.CaptureSets, b.CaptureSets);
    EXPECT_EQ(a.ResultDirectory, b.ResultDirectory);
    EXPECT_EQ(a.AbbreviationDirectory, b.AbbreviationDirectory);
    EXPECT_EQ(a.TemplateDirectory, b.TemplateDirectory);
    EXPECT_EQ(a.CaptureDirectory, b.CaptureDirectory);
    EXPECT_EQ(a.ShowWarnings, b.ShowWarnings);
    EXPECT_EQ(a.PathMap, b.PathMap);
    EXPECT_EQ(a.D3Filed, b.D3Filed);
}

QList<QByteArray> activeKeys(const QByteArray &text) {
    QList<QByteArray> keys;
    for (const QByteArray &line : SetupFile::SplitLines(text)) {
        const QByteArray key = SetupFile::NormalisedKey(line.left(line.indexOf('=')));
        if (!key.startsWith('+') && !key.startsWith("keymap") && !key.startsWith("swap") &&
            !key.startsWith("alternate") && !key.startsWith("captureset") && !key.startsWith("pathmap")) {
            keys.append(key);
        }
    }
    return keys;
}

} // namespace

TEST(SetupDocument, EveryGroupRoundTripsAndMatchesGolden) {
    const SetupDocument doc = SetupDocument::Read(everyGroup());
    const QByteArray written = doc.Write(kColours);
    // Colours come from the emulator, so only those lines differ from the original settings.
    TOrvaSettings before = parsed(everyGroup());
    before.ForegroundColors = kColours.Fore;
    before.BackgroundColors = kColours.Back;
    before.BoldForegroundColors = kColours.Bold;
    const TOrvaSettings after = parsed(written);
    expectSameSettings(before, after);
    EXPECT_EQ(after.ForegroundColors, kColours.Fore);
    EXPECT_EQ(after.BoldForegroundColors, kColours.Bold);

    EXPECT_EQ(SetupDocument::Read(written), doc) << "reading the written file gives the same form";
    EXPECT_EQ(SetupDocument::Read(written).Write(kColours), written);

    const QList<QByteArray> keys = activeKeys(written);
    for (const QByteArray &key : keys) {
        EXPECT_EQ(keys.count(key), 1) << key.constData();
    }

    const QString golden = qEnvironmentVariable("ORVA_SOURCE_DIR") +
                           QStringLiteral("/app/settingsform/tests/golden/every-group.inf");
    if (qEnvironmentVariableIsSet("ORVA_REGENERATE_GOLDEN")) {
        QFile out(golden);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(written), written.size());
    }
    QFile in(golden);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << golden.toStdString();
    EXPECT_EQ(in.readAll(), written);
}

TEST(SetupDocument, DefaultTextRoundTrips) {
    const QByteArray original = SetupFile::DefaultSetupText();
    const QByteArray written = SetupDocument::Read(original).Write({});
    expectSameSettings(parsed(original), parsed(written));
    const QList<QByteArray> keys = activeKeys(written);
    for (const QByteArray &key : keys) {
        EXPECT_EQ(keys.count(key), 1) << key.constData();
    }
}

TEST(SetupDocument, RecognisesExactKeys) {
    const struct {
        const char *name;
        QByteArray text;
        std::function<void(const SetupDocument &)> check;
    } cases[] = {
        {"bold colours do not fill the foreground", "BoldForeground Colors = 1,2\r\n",
         [](const SetupDocument &d) { EXPECT_TRUE(d.Unmanaged.isEmpty()); }},
        {"no image and secure image kept apart", "secure image name = s.png\r\nno image name = n.png\r\n",
         [](const SetupDocument &d) {
             EXPECT_EQ(d.SecureImageName, QStringLiteral("s.png"));
             EXPECT_EQ(d.NoImageName, QStringLiteral("n.png"));
         }},
        {"graphics font and its resource kept apart",
         "use graphics font = true\r\ngraphics font resource = 1\r\n",
         [](const SetupDocument &d) {
             EXPECT_TRUE(d.UseGraphicsFont);
             EXPECT_EQ(d.GraphicsFontResource, 1);
         }},
        {"switched-off source keeps its mark", "+source directory = /a/\r\n",
         [](const SetupDocument &d) { EXPECT_EQ(d.Source, QStringLiteral("/a/ (Disabled)")); }},
        {"active line wins over a switched-off one", "source directory = /b/\r\n+source directory = /a/\r\n",
         [](const SetupDocument &d) { EXPECT_EQ(d.Source, QStringLiteral("/b/")); }},
        {"empty value dropped", "keymap-F1 = \r\nnote without value\r\n",
         [](const SetupDocument &d) {
             EXPECT_TRUE(d.KeyMapLines.isEmpty());
             EXPECT_TRUE(d.Unmanaged.isEmpty());
         }},
        {"switched-off host kept unchanged", "+host name = old\r\n",
         [](const SetupDocument &d) { EXPECT_EQ(d.Unmanaged, QList<QByteArray>{"+host name = old"}); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        c.check(SetupDocument::Read(c.text));
    }
}

TEST(SetupDocument, DisabledMarkNeverWrittenIntoValues) {
    SetupDocument d;
    d.HostName = QStringLiteral("h:2 (Disabled)");
    d.AlternateSources = {QStringLiteral("/x/ (Disabled)")};
    const QByteArray written = d.Write({});
    EXPECT_TRUE(written.startsWith("Host Name =h:2\r\n"));
    EXPECT_TRUE(written.contains("\r\n+alternate source = /x/\r\n"));
    EXPECT_FALSE(written.contains("Disabled"));
}

TEST(SetupDocument, UpgradesOldKeyMaps) {
    SetupDocument d =
        SetupDocument::Read("+KEYMAP-C+F5 = {hot}\r\nKEYMAP-F2 = abc\r\nKEYMAP-NOSUCHKEY = x\r\n"
                            "KEYMAP_EX-Alt+A = y\r\n");
    ASSERT_TRUE(d.HasOldKeyMaps());
    EXPECT_TRUE(d.UpgradeKeyMaps());
    EXPECT_EQ(d.KeyMapLines, (QList<QByteArray>{"+KEYMAP_EX-Ctrl+F5={hot}", "KEYMAP_EX-F2=abc",
                                                "KEYMAP-NOSUCHKEY = x", "KEYMAP_EX-Alt+A = y"}));
}

TEST(SetupLists, HostOperations) {
    using SetupLists::Answer;
    QStringList asked;
    auto answering = [&asked](QList<Answer> answers) {
        return [&asked, answers](const QString &, const QString &text) mutable {
            asked.append(text);
            return answers.isEmpty() ? Answer::No : answers.takeFirst();
        };
    };
    QStringList hosts{QStringLiteral("a:1 (Disabled)")};
    SetupLists::HostAdd(hosts, QStringLiteral("a:1"));
    EXPECT_EQ(hosts, QStringList{QStringLiteral("a:1")});
    SetupLists::HostAdd(hosts, QStringLiteral(" b : 7 (Disabled)"));
    EXPECT_EQ(hosts, (QStringList{QStringLiteral("a:1"), QStringLiteral("b:7 (Disabled)")}));
    SetupLists::HostSwitchOff(hosts, QStringLiteral("a:1"));
    EXPECT_EQ(hosts.first(), QStringLiteral("a:1 (Disabled)"));

    hosts = {QStringLiteral("a:1"), QStringLiteral("a:2")};
    SetupLists::HostRemove(hosts, QStringLiteral("a"), answering({Answer::No, Answer::Yes}));
    EXPECT_EQ(asked.size(), 2);
    EXPECT_EQ(hosts, QStringList{QStringLiteral("a:1")});
    asked.clear();
    SetupLists::HostRemove(hosts, QStringLiteral("a:3"), answering({Answer::Yes}));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(hosts, QStringList{QStringLiteral("a:1")});

    hosts = {QStringLiteral("a:1"), QStringLiteral("a:2 (Disabled)"), QStringLiteral("a:3")};
    SetupLists::HostUpdate(hosts, QStringLiteral("a:3"), answering({Answer::Yes, Answer::Cancel}));
    EXPECT_EQ(asked.last(), QStringLiteral("Would you like to Change a:2 (Disabled) to a:3 (Disabled)?"));
    EXPECT_EQ(hosts,
              (QStringList{QStringLiteral("a:3"), QStringLiteral("a:2 (Disabled)"), QStringLiteral("a:3")}));
}

TEST(SetupLists, AlternateOperations) {
    QStringList list{QStringLiteral("\\\\s\\x"), QStringLiteral("/y/ (Disabled)")};
    SetupLists::AlternateRemove(list, QStringLiteral(" \\\\S\\X "));
    EXPECT_EQ(list, QStringList{QStringLiteral("/y/ (Disabled)")});
    SetupLists::AlternateAdd(list, QStringLiteral("/Y/"));
    EXPECT_EQ(list, QStringList{QStringLiteral("/Y/")});
    SetupLists::AlternateDisable(list, QStringLiteral("/y/"));
    SetupLists::AlternateDisable(list, QStringLiteral("/z/"));
    EXPECT_EQ(list, (QStringList{QStringLiteral("/y/ (Disabled)"), QStringLiteral("/z/ (Disabled)")}));
}

TEST(SetupLists, SwitchingMarksStandOnce) {
    EXPECT_EQ(SetupLists::Disabled(QStringLiteral("x (Disabled)")), QStringLiteral("x (Disabled)"));
    EXPECT_EQ(SetupLists::Disabled(QString()), QString());
    EXPECT_EQ(SetupLists::Enabled(QStringLiteral("x (Disabled)")), QStringLiteral("x"));
    EXPECT_EQ(SetupLists::KeyMapLineSwitched("+KEYMAP-F1=a", true), QByteArray("+KEYMAP-F1=a"));
    EXPECT_EQ(SetupLists::KeyMapLineSwitched("++KEYMAP_EX-F1=a", false), QByteArray("KEYMAP_EX-F1=a"));
    EXPECT_EQ(SetupLists::KeyListText("+KEYMAP_EX-Ctrl+F5 = x"), QStringLiteral("Ctrl+F5 (Disabled)"));
}
