// The setup file: every key, its defaults, malformed lines, the default text, and the registry.
#include "common/SetupFile.h"
#include "platform/settings/TRegistry.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace SetupFile;

TEST(SetupFile, EveryKeyIsRead) {
    QTemporaryDir dir;
    const QString dic = dir.filePath("my.dic");
    QFile f(dic);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const QByteArray text = "Show Warnings = no\r\n"
                            "templatedirectory = \\\\srv\\tpl\r\n"
                            "rtf abbreviation directory = \\\\srv\\abr\r\n"
                            "rtfresultdirectory = /var/orva/results\r\n"
                            "capture directory = /var/orva/cap\r\n"
                            "Scan Directory = \\\\srv\\scans\r\n"
                            "custom dictionary = " +
                            dic.toLatin1() +
                            "\r\n"
                            "Source directory = \\\\srv\\images\r\n"
                            "alternate source = \\\\srv2\\images\r\n"
                            "alternate source = \\\\srv3\\images\\\n"
                            "subdirectory = ****....\n"
                            "no image name = noimage.png\n"
                            "secure image name = secure.png\n"
                            "printer available = YES\n"
                            "halt on server fail = No\n"
                            "host name = lab : 2023\n"
                            "login conversation = see \"login:\" answer \"fred\"\n"
                            "scroll lines = 500\n"
                            "captureset = 2,1,18:\"REQUEST:\"\n"
                            "enable PC beep = Yes\n"
                            "keysetquery = \"whoareu\"\n"
                            "keysetreply = \"orvavt\"\n"
                            "keymap-F1 = {ESC}OP\n"
                            "KEYMAP_EX-UP ARROW = x\n"
                            "SWAP-1 = a,b\n"
                            "colour-2 = c\n"
                            "printer name = \"LabPrinter\"\n"
                            "d3list nofile = 11\n"
                            "d3list noitem = 203\n"
                            "d3list both = 406\n"
                            "d3copy ok = 806\n"
                            "d3filed = \"[221] filed\"\n"
                            "Foreground Colors = Black=$0;\n"
                            "Background Colors = White=$FFFFFF;\n"
                            "BoldForeground Colors = Red=$FF;\n"
                            "use graphics font = false\n"
                            "graphics font resource = 1\n"
                            "pathmap = \\\\srv\\images => /mnt/images\r";
    const TOrvaSettings s = Parse(text, "/opt/orva/");
    EXPECT_FALSE(s.ShowWarnings);
    // No pathmap line maps these: they stay as written and are reported.
    EXPECT_EQ(s.TemplateDirectory, "\\\\srv\\tpl");
    EXPECT_EQ(s.AbbreviationDirectory, "\\\\srv\\abr");
    EXPECT_EQ(s.UnmappedPaths,
              QStringList({"scandirectory = \\\\srv\\scans\\", "templatedirectory = \\\\srv\\tpl",
                           "rtfabbreviationdirectory = \\\\srv\\abr", "alternatesource = \\\\srv2\\images\\",
                           "alternatesource = \\\\srv3\\images\\"}));
    EXPECT_EQ(s.ResultDirectory, "/var/orva/results/");
    EXPECT_EQ(s.CaptureDirectory, "/var/orva/cap/");
    EXPECT_EQ(s.ScanDirectory, "") << "an unmapped scan folder is left unset";
    EXPECT_TRUE(Parse("", "/").ScanDirectory.isEmpty()) << "no folder is made up for scans";
    EXPECT_TRUE(Parse("image tools = YES", "/").ImageTools);
    EXPECT_FALSE(Parse("image tools = on", "/").ImageTools);
    EXPECT_FALSE(Parse("", "/").ImageTools) << "the image window's tools change the share: off unless asked";
    EXPECT_EQ(Parse("", "/").MciExtensions, QStringList({"WAV", "AVI", "MOV", "MPG", "MPEG"}));
    EXPECT_EQ(Parse("mci extensions = wav, .Mid  rmi,WAV", "/").MciExtensions,
              QStringList({"WAV", "MID", "RMI"}));
    EXPECT_EQ(Parse("mciextension = MID", "/").MciExtensions.size(), 5) << "the key is matched exactly";
    EXPECT_EQ(s.CustomDictionary, dic);
    EXPECT_EQ(s.ImageSources, QStringList({"\\\\srv\\images\\", "\\\\srv2\\images\\", "\\\\srv3\\images\\"}));
    EXPECT_EQ(s.SubDirectoryMask, "****....");
    EXPECT_EQ(s.NoImageName, "noimage.png");
    EXPECT_EQ(s.SecureImageName, "secure.png");
    EXPECT_TRUE(s.PrinterAvailable);
    EXPECT_FALSE(s.HaltOnServerFail);
    EXPECT_EQ(s.HostName, "lab");
    EXPECT_EQ(s.HostPort, 2023);
    EXPECT_EQ(s.LoginConversation, "see \"login:\" answer \"fred\"");
    EXPECT_EQ(s.ScrollLines, 500);
    ASSERT_EQ(s.CaptureSets.size(), 1);
    EXPECT_EQ(s.CaptureSets[0], (TCaptureSet{2, 1, 18, "REQUEST:"}));
    EXPECT_EQ(s.EnablePCBeep, "yes");
    EXPECT_EQ(s.KeySetQuery, "whoareu");
    EXPECT_EQ(s.KeySetReply, "orvavt");
    EXPECT_EQ(s.KeyMapLines, (QList<TSetupPair>{{"keymap-F1", "{ESC}OP"}, {"KEYMAP_EX-UPARROW", "x"}}));
    EXPECT_EQ(s.SwapLines, (QList<TSetupPair>{{"SWAP-1", "a,b"}, {"colour-2", "c"}}));
    EXPECT_EQ(s.PrinterName, "LabPrinter");
    EXPECT_EQ(s.D3ListNoFile, "11");
    EXPECT_EQ(s.D3ListNoItem, "203");
    EXPECT_EQ(s.D3ListBoth, "406");
    EXPECT_EQ(s.D3CopyOk, "806");
    EXPECT_EQ(s.D3Filed, "[221] filed");
    EXPECT_EQ(s.ForegroundColors, "Black=$0;");
    EXPECT_EQ(s.BackgroundColors, "White=$FFFFFF;");
    EXPECT_EQ(s.BoldForegroundColors, "Red=$FF;");
    EXPECT_FALSE(s.UseGraphicsFont);
    EXPECT_EQ(s.GraphicsFontResource, 1);
    ASSERT_EQ(s.PathMap.size(), 1);
    EXPECT_EQ(s.PathMap[0], (QPair<QString, QString>("\\\\srv\\images", "/mnt/images")));
    EXPECT_TRUE(s.Problems.isEmpty()) << s.Problems.join("; ").toStdString();
}

TEST(SetupFile, DefaultsWhenNothingIsSet) {
    const TOrvaSettings s = Parse("", "/opt/orva/");
    EXPECT_TRUE(s.ShowWarnings);
    EXPECT_EQ(s.ImageSources, QStringList({QString()}));
    EXPECT_TRUE(s.CustomDictionary.endsWith("/orva/Custom.dic"));
    EXPECT_FALSE(s.CustomDictionary.startsWith("/opt/orva"));
    EXPECT_TRUE(s.ResultDirectory.endsWith("/orva/"));
    EXPECT_FALSE(s.PrinterAvailable);
    EXPECT_TRUE(s.HaltOnServerFail);
    EXPECT_EQ(s.HostName, "");
    EXPECT_EQ(s.HostPort, 23);
    EXPECT_EQ(s.ScrollLines, 0);
    EXPECT_EQ(s.D3ListNoFile, "10");
    EXPECT_EQ(s.D3ListNoItem, "202");
    EXPECT_EQ(s.D3ListBoth, "405");
    EXPECT_EQ(s.D3CopyOk, "805");
    EXPECT_EQ(s.D3Filed, "[221] '##d3 item## ' filed.");
    EXPECT_TRUE(s.UseGraphicsFont);
    EXPECT_EQ(s.GraphicsFontResource, 0);
}

// Folders are translated once, through the file's own pathmap lines wherever they stand; a Windows
// path that no line maps is reported, and work files then go to the default folder instead of a
// path relative to the current folder.
TEST(SetupFile, FoldersAreMappedOnceAndUnmappedOnesReported) {
    QTemporaryDir dir;
    const QString dic = dir.filePath("my.dic");
    QFile(dic).open(QIODevice::WriteOnly);
    const QString defaultResults = Parse("", "/").ResultDirectory;
    const struct {
        const char *name;
        QByteArray text;
        QString result, capture, templates;
        QStringList unmapped;
    } cases[] = {
        {"drive mapped after its use",
         "rtfresultdirectory = C:\\orva\\results\\\npathmap = C:\\orva => /mnt/x\ntemplatedirectory = "
         "c:\\ORVA\\tpl",
         "/mnt/x/results/",
         "/mnt/x/results/capture/",
         "/mnt/x/tpl/",
         {}},
        {"share mapped",
         "pathmap = \\\\srv\\share => /srv/share/\ncapture directory = \\\\srv\\share\\cap",
         defaultResults,
         "/srv/share/cap/",
         "",
         {}},
        {"unmapped drive",
         "rtfresultdirectory = C:\\orva\\results\\",
         defaultResults,
         defaultResults + "capture/",
         "",
         {"rtfresultdirectory = C:\\orva\\results\\"}},
        {"unmapped share",
         "rtfresultdirectory = /var/r\ncapturedirectory = \\\\srv\\cap",
         "/var/r/",
         "/var/r/capture/",
         "",
         {"capturedirectory = \\\\srv\\cap\\"}},
        {"similar prefix is not a match",
         "pathmap = C:\\orva => /mnt/x\nrtfresultdirectory = C:\\orva2\\r",
         defaultResults,
         defaultResults + "capture/",
         "",
         {"rtfresultdirectory = C:\\orva2\\r\\"}},
        {"linux paths as they are",
         "rtfresultdirectory = /var/r\ntemplatedirectory = /opt/t",
         "/var/r/",
         "/var/r/capture/",
         "/opt/t/",
         {}},
    };
    for (const auto &c : cases) {
        const TOrvaSettings s = Parse(c.text, "/opt/orva/");
        EXPECT_EQ(s.ResultDirectory, c.result) << c.name;
        EXPECT_EQ(s.CaptureDirectory, c.capture) << c.name;
        EXPECT_EQ(s.TemplateDirectory, c.templates) << c.name;
        EXPECT_EQ(s.UnmappedPaths, c.unmapped) << c.name;
    }
    const TOrvaSettings d = Parse(
        "custom dictionary = D:\\dic\\my.dic\npathmap = D:\\dic => " + dir.path().toUtf8(), "/opt/orva/");
    EXPECT_EQ(d.CustomDictionary, dic);
}

TEST(SetupFile, MatchingRules) {
    struct Case {
        const char *line;
        bool warnings;
    } cases[] = {{"showwarnings = true", true},       {"Show Warnings = no", false},
                 {"xxshowwarningsyy = t", true},      {"showwarnings = Yes", true},
                 {"*showwarnings = no", true},        {"showwarnings no", true},
                 {"showwarnings = \x01no\x02", false}};
    for (const Case &c : cases) {
        EXPECT_EQ(Parse(c.line, "/").ShowWarnings, c.warnings) << c.line;
    }
    EXPECT_EQ(Parse("+Source directory = \\\\s\\x", "/").ImageSources, QStringList({QString()}));
    EXPECT_EQ(Parse("templatedirectory = a\ntemplatedirectory = b", "/").TemplateDirectory, "b/");
    EXPECT_EQ(Parse("keysetquery = whoareu", "/").KeySetQuery, "");
    EXPECT_EQ(Parse("=x\nhostname =\n = \nunknown = 1", "/").HostName, "");
    EXPECT_EQ(Parse("scroll lines = many", "/").ScrollLines, 0);
    EXPECT_EQ(Parse("graphicsfontresource = x", "/").GraphicsFontResource, 0);
    EXPECT_TRUE(Parse("usegraphicsfont = maybe", "/").UseGraphicsFont);
}

TEST(SetupFile, HostAndPort) {
    struct Case {
        const char *value;
        const char *host;
        int port;
    } cases[] = {{"lab : 2023", "lab", 2023}, {"lab:xyz", "lab", 23},           {"lab", "lab", 77},
                 {"lab:", "lab", 23},         {"[::1]:2323", "::1", 2323},      {"[::1]", "::1", 77},
                 {"::1", "::1", 77},          {"fe80::2:23", "fe80::2:23", 77}, {"[::1]:x", "::1", 23}};
    for (const Case &c : cases) {
        const auto [host, port] = SplitHostPort(c.value, 77);
        EXPECT_EQ(host, c.host) << c.value;
        EXPECT_EQ(port, c.port) << c.value;
    }
}

TEST(SetupFile, BadAndExcessListLinesAreSkipped) {
    QByteArray text = "captureset = a,1,18:X\ncaptureset = 0,1,5:X\ncaptureset = 2,1,18:\"\"\n";
    for (int i = 0; i < 12; ++i) {
        text += "captureset = " + QByteArray::number(i + 1) + ",1,8:\"R:\"\n";
    }
    for (int i = 0; i < 55; ++i) {
        text += "keymap-K" + QByteArray::number(i) + " = x\n";
    }
    const TOrvaSettings s = Parse(text, "/");
    EXPECT_EQ(s.CaptureSets.size(), TOrvaSettings::kMaxCaptureSets);
    EXPECT_EQ(s.CaptureSets.first(), (TCaptureSet{1, 1, 8, "R:"}));
    EXPECT_EQ(s.KeyMapLines.size(), TOrvaSettings::kMaxKeyMaps);
    EXPECT_EQ(s.Problems.size(), 3 + 2 + 5);
}

TEST(SetupFile, DefaultTextParsesToWhatItSays) {
    const QByteArray text = DefaultSetupText();
    EXPECT_FALSE(text.endsWith("\r\n"));
    EXPECT_TRUE(text.startsWith("+++ Orva Settings +++\r\nnote: use \"*\" to comment out settings.\r\n\r\n"));
    EXPECT_TRUE(text.contains("\r\ncaptureset = 2,1,18:\"REQUEST:\"\r\n"));
    const TOrvaSettings s = Parse(text, "/p/");
    EXPECT_EQ(s.ImageSources, QStringList({QString()}));
    EXPECT_EQ(s.SubDirectoryMask, "****....");
    EXPECT_EQ(s.NoImageName, "noimage.png");
    EXPECT_TRUE(s.PrinterAvailable);
    EXPECT_FALSE(s.HaltOnServerFail);
    EXPECT_EQ(s.CaptureSets, (QList<TCaptureSet>{{2, 1, 18, "REQUEST:"}}));
    EXPECT_EQ(s.HostName, "127.0.0.1");
    EXPECT_EQ(s.HostPort, 23);
    EXPECT_EQ(s.ScrollLines, 500);
    EXPECT_EQ(s.LoginConversation, "see \"\" answer \"\"");
    EXPECT_EQ(s.EnablePCBeep, "yes");
    EXPECT_EQ(s.KeySetQuery, "whoareu");
    EXPECT_EQ(s.KeySetReply, "orvavt");
    EXPECT_EQ(s.PrinterName, "");
    EXPECT_TRUE(s.KeyMapLines.isEmpty());
    EXPECT_TRUE(s.ForegroundColors.isEmpty());
    EXPECT_TRUE(s.Problems.isEmpty());
}

TEST(SetupFile, LoginConversationParts) {
    const QByteArray conv = "see \"login:\" answer \"fred\"";
    EXPECT_EQ(LoginPrompt(conv), "login:");
    EXPECT_EQ(LoginReply(conv), "fred");
    EXPECT_EQ(WithLoginReply(conv, "jim"), "see \"login:\" answer \"jim\"");
    EXPECT_EQ(LoginPrompt("see \"\" answer \"\""), "");
}

TEST(Registry, ValuesRoundTripUnderTheKeyPath) {
    QTemporaryDir home;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    {
        TRegistry reg("\\Software\\Tessel\\OrvaVT4\\settings");
        EXPECT_FALSE(reg.KeyExists());
        reg.WriteInteger("ForeColor", 0xFFFFFF);
        reg.WriteString("FontName", "Orva VT");
        reg.WriteBool("SmartMouseEnabled", true);
        EXPECT_TRUE(reg.Flush());
    }
    TRegistry reg("\\Software\\Tessel\\OrvaVT4\\settings");
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_EQ(reg.ReadInteger("ForeColor", 0), 0xFFFFFF);
    EXPECT_EQ(reg.ReadString("FontName"), "Orva VT");
    EXPECT_TRUE(reg.ReadBool("SmartMouseEnabled", false));
    EXPECT_FALSE(reg.ReadBool("DetachedImageDefault", false));
    EXPECT_EQ(reg.ReadInteger("VTLeft", -5), -5);
    EXPECT_TRUE(QFile::exists(home.path() + "/Tessel/OrvaVT4.ini"));
    TRegistry other("Software\\Tessel\\OrvaVT\\Config");
    EXPECT_FALSE(other.KeyExists());
}
