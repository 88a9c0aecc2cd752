// Every writer of the program on a disk that fails: a file size limit (every run) and a full small
// tmpfs (where mounting is allowed). Each writer is called through the entry its callers use, on a
// file that holds earlier content; afterwards that content must be there byte for byte, the writer
// must have said that it failed, and no half-written file may be left beside it. Also the modes the
// writers give shared and private files.
#include "app/settingsform/TTextAttForm.h"
#include "common/testing/FailingDisk.h"
#include "common/testing/RecordingMessages.h"
#include "dictation/audiotask/TAudioTask.h"
#include "dictation/playback/WaveDevice.h"
#include "dictation/playback/tests/FakeAudioDevices.h"
#include "dictation/wave/AudioUtils.h"
#include "editor/report/DynamicTarget.h"
#include "editor/wpform/TWPForm.h"
#include "effects/dialog/EffectSettings.h"
#include "effects/dialog/TIniFile.h"
#include "imaging/core/DLL96V1.h"
#include "platform/audio/tests/AudioTestSupport.h"
#include "platform/files/PrivateFile.h"
#include "platform/fxlib/Palettes.h"
#include "platform/imageio/Annotations.h"
#include "platform/imageio/tests/TestSupport.h"
#include "platform/richtext/TWpTextControl.h"
#include "platform/spell/TSpellChecker.h"
#include "terminal/widget/TVtSockControl.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

using namespace orva::imaging;
using orva::fxlib::PaletteFileStatus;
using orva::fxlib::SavePaletteFile;
using orva::richtext::TWpTextControl;
namespace anno = orva::imageio::anno;

namespace {

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

int modeOf(const QString &path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool writeAll(const QString &path, const QByteArray &data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// A two-page G4 form, as scanned request forms are.
QString twoPageForm(const QString &folder) {
    const QString file = QDir(folder).filePath(QStringLiteral("form.tif"));
    for (int i = 0; i < 2; ++i)
        WriteTIFFileDib(file, sFAXCCITT4, i == 0 ? tiffReplace : tiffAppend,
                        orva::imageio::test::patternDib(200, 120, 1, i), 0);
    return file;
}

class Host : public TextAttHost {
public:
    QString file;
    QString SetupFileName() const override { return file; }
    void ChangeSetupFile(const QString &f) override { file = f; }
    bool ReadSetupFile() override { return true; }
    SetupDocument::Colours ColourTexts() const override {
        return {TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors()),
                TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::DefaultColors()),
                TVtVT100EmulatorEx::ColorTableText(TVtVT100EmulatorEx::BoldDefaults())};
    }
    QFont TerminalFont() const override { return QFont(QStringLiteral("DejaVu Sans Mono"), 12); }
    void ApplyTerminalFont(const QFont &) override {}
    QString HostCaption() const override { return QStringLiteral("lab1"); }
    void SetCaption(const QString &) override {}
};

// Saves `count` marks as page `page` of the annotation file, as the viewer does.
bool marks(const QString &file, int page, int count) {
    int window = 0;
    AnnoInit(&window, nullptr);
    anno::Mark m;
    m.points = {{1, 1}, {5, 5}};
    for (int i = 0; i < count; ++i)
        anno::Engine(&window)->add(m);
    const bool ok = AnnoSave(&window, page, file);
    AnnoDestroy(&window);
    return ok;
}

// The editor's "Add abbreviation" of the whole text as entry PL of the list `list`, plain (1) or
// formatted (3), overwriting an entry of that name. True when no failure was shown.
bool addAbbreviation(const QString &list, int kind) {
    RecordingMessages shown;
    EditorFolders folders;
    folders.ResultDirectory = QFileInfo(list).dir().filePath(QStringLiteral("work"));
    TWPForm form(folders, nullptr, shown);
    if (!form.LoadAbbreviationFile(list))
        return true;     // not loaded: seen as a wrong success
    shown.boxes.clear(); // what opening the editor had to say (no tag list here) is not the save's
    form.ResultBox()->setText(QString(400, QLatin1Char('x')));
    form.ResultBox()->setSelStart(0);
    form.ResultBox()->setSelLength(400);
    shown.answers = {QStringLiteral("pl")};
    shown.replies = {UserMessages::Answer::Yes};
    form.Addabbreviation1Click(kind);
    return shown.boxes.isEmpty();
}

struct Writer {
    const char *name;
    // Makes the file the writer is to replace (or add to) in `folder`; returns its path.
    std::function<QString(const QString &folder)> prepare;
    // Runs the writer on it; true when the writer reports success.
    std::function<bool(const QString &file)> write;
    bool changes = true; // false: a healthy write may give the same bytes (packing a packed file)
};

const QByteArray kOld = QByteArray("earlier content, kept whole\r\n").repeated(40);

QString oldFile(const QString &folder, const char *name) {
    const QString path = QDir(folder).filePath(QLatin1String(name));
    writeAll(path, kOld);
    return path;
}

std::vector<Writer> writers() {
    return {
        {"work file (report copies, upload copy, decoded documents)",
         [](const QString &f) { return oldFile(f, "lastreport.rtf"); },
         [](const QString &file) { return PrivateFile::save(file, QByteArray(5000, 'r')); }},
        {"host audio of a task", [](const QString &f) { return oldFile(f, "Default.wav"); },
         [](const QString &file) { return DecodeBase64ToFile(QByteArray(6000, 'a').toBase64(), file); }},
        {"empty recording", [](const QString &f) { return oldFile(f, "AudioData.01000000000.wav"); },
         [](const QString &file) { return WriteEmptyGsmWave(file); }},
        {"converted audio", [](const QString &f) { return oldFile(f, "AudioData.02000000000.wav"); },
         [](const QString &file) {
             const QString source = QFileInfo(file).dir().filePath(QStringLiteral("source.pcm"));
             // The source is read before the limit matters: it exists already.
             if (!QFileInfo::exists(source))
                 return true; // not prepared: seen as a wrong success below
             TdeWaveFormat gsm;
             if (!FindAcmFormat(QStringLiteral("GSM 6.10"), QStringLiteral("22.050 kHz, Mono"), gsm))
                 return true;
             return ConvertAudioFile(source, file, gsm, {});
         }},
        {"recording cut",
         [](const QString &f) {
             const QString file = QDir(f).filePath(QStringLiteral("AudioData.03000000000.wav"));
             const QString source = QDir(f).filePath(QStringLiteral("speech.pcm"));
             writeAll(source, orva::audio::test::pcmWave(orva::audio::test::speechLike(22050), 22050, 1));
             TdeWaveFormat gsm;
             if (FindAcmFormat(QStringLiteral("GSM 6.10"), QStringLiteral("22.050 kHz, Mono"), gsm))
                 ConvertAudioFile(source, file, gsm, {});
             QFile::remove(source);
             return file;
         },
         [](const QString &file) {
             FakeAudioDevices devices;
             WaveDevice recording(devices);
             return recording.open(file) && recording.deleteRange(0, 400);
         }},
        {"template (rich text)", [](const QString &f) { return oldFile(f, "FBC.tpl"); },
         [](const QString &file) {
             TWpTextControl text;
             text.setText(QString(3000, QLatin1Char('t')));
             return text.SaveDocument(file, 0, false, 0);
         }},
        {"setup file", [](const QString &f) { return oldFile(f, "orva.ini"); },
         [](const QString &file) {
             Host host;
             host.file = file;
             RecordingMessages messages;
             TTextAttForm form(host, messages);
             return form.WriteSetup(file);
         }},
        {"effects settings", [](const QString &f) { return oldFile(f, "effects.ini"); },
         [](const QString &file) {
             QWidget form;
             orva::effects::TEffectSettingsState state;
             state.Page = QString(2000, QLatin1Char('p'));
             return orva::effects::EffectSettings(orva::effects::TSettingsMode::Save, file, &form, {}, state);
         }},
        {"palette file", [](const QString &f) { return oldFile(f, "grey.pal"); },
         [](const QString &file) {
             QVector<QRgb> palette(256);
             for (int i = 0; i < 256; ++i)
                 palette[i] = qRgb(i, i, i);
             return SavePaletteFile(file, palette, 256) == PaletteFileStatus::Ok;
         }},
        {"custom word list",
         [](const QString &f) {
             writeAll(QDir(f).filePath(QStringLiteral("main.aff")), "SET UTF-8\n");
             writeAll(QDir(f).filePath(QStringLiteral("main.dic")), "1\nword\n");
             return oldFile(f, "custom.dic");
         },
         [](const QString &file) {
             TSpellChecker spell;
             if (!spell.Open(QFileInfo(file).dir().filePath(QStringLiteral("main")), file))
                 return true;
             for (int i = 0; i < 200; ++i)
                 spell.Add(QStringLiteral("haemoglobinopathy%1").arg(i));
             return spell.SaveCustom();
         }},
        {"abbreviation list", [](const QString &f) { return oldFile(f, "p1.abr"); },
         [](const QString &file) { return addAbbreviation(file, 1); }},
        {"formatted abbreviation",
         [](const QString &f) {
             writeAll(QDir(f).filePath(QStringLiteral("p1.abr")), "PL=///FILE:PL.abx\r\n");
             return oldFile(f, "p1.abr.PL.abx");
         },
         [](const QString &file) { return addAbbreviation(file.left(file.size() - 7), 3); }},
        {"event log entry", [](const QString &f) { return oldFile(f, "event.log"); },
         [](const QString &file) {
             TVtEventLog log;
             log.Enabled = true;
             log.FileName = file;
             return log.Log(QByteArray(3000, 'e'));
         }},
        {"range picture",
         [](const QString &f) {
             QImage source(300, 200, QImage::Format_RGB32);
             source.fill(Qt::white);
             source.save(QDir(f).filePath(QStringLiteral("range.png")));
             return oldFile(f, "range-out.png");
         },
         [](const QString &file) {
             tDynamicTarget target;
             return target.AddTarget(QFileInfo(file).dir().filePath(QStringLiteral("range.png")), file, "50",
                                     QStringLiteral("L")) == tDynamicTarget::Done;
         }},
        {"annotations of a page",
         [](const QString &f) {
             const QString file = QDir(f).filePath(QStringLiteral("form.ant"));
             marks(file, 1, 3); // the marks of pages 0 and 1 as they were
             marks(file, 0, 2);
             return file;
         },
         [](const QString &file) { return marks(file, 0, 100); }},
        {"scanned page written whole", [](const QString &f) { return twoPageForm(f); },
         [](const QString &file) {
             return WriteTIFFileDib(file, sFAXCCITT4, tiffReplace,
                                    orva::imageio::test::patternDib(300, 200, 1, 7), 0);
         }},
        {"page added", [](const QString &f) { return twoPageForm(f); },
         [](const QString &file) {
             return WriteTIFFileDib(file, sFAXCCITT4, tiffAppend,
                                    orva::imageio::test::patternDib(300, 200, 1, 7), 0);
         }},
        {"page replaced", [](const QString &f) { return twoPageForm(f); },
         [](const QString &file) {
             return WriteTIFFileDibPageReplace(file, sFAXCCITT4, 1,
                                               orva::imageio::test::patternDib(300, 200, 1, 7), 0);
         }},
        {"page deleted", [](const QString &f) { return twoPageForm(f); },
         [](const QString &file) { return DeleteTIFFPage(file, 0); }},
        {"tag edited", [](const QString &f) { return twoPageForm(f); },
         [](const QString &file) { return WriteTagString(file, 0, 270, QByteArray(500, 'd')); }},
        {"file packed", [](const QString &f) { return twoPageForm(f); },
         [](const QString &file) { return PackTIFF(file); }, false},
    };
}

class Writers : public ::testing::Test {
protected:
    // The audio conversion needs a source beside its file.
    static void prepareSource(const Writer &w, const QString &at) {
        if (QByteArray(w.name) == "converted audio")
            writeAll(QDir(at).filePath(QStringLiteral("source.pcm")),
                     orva::audio::test::pcmWave(orva::audio::test::speechLike(22050), 22050, 1));
    }

    // Runs every writer in a fresh folder made by `folder`, failing as `fail` makes the disk fail.
    void runAll(const std::function<QString()> &folder, const std::function<void(const QString &)> &fill,
                const std::function<std::shared_ptr<void>()> &fail) {
        for (const Writer &w : writers()) {
            const QString at = folder();
            ASSERT_FALSE(at.isEmpty()) << w.name;
            const QString file = w.prepare(at);
            prepareSource(w, at);
            const QByteArray before = readAll(file);
            ASSERT_NE(before, "<unreadable>") << w.name;
            const QStringList names = QDir(at).entryList(QDir::Files | QDir::Hidden);
            fill(at);
            bool reported;
            {
                const std::shared_ptr<void> failing = fail();
                reported = w.write(file);
            }
            EXPECT_FALSE(reported) << w.name << ": the failure is reported";
            EXPECT_EQ(readAll(file), before) << w.name << ": the old file is kept byte for byte";
            QStringList after = QDir(at).entryList(QDir::Files | QDir::Hidden);
            after.removeAll(QStringLiteral("filler"));
            EXPECT_EQ(after, names) << w.name << ": nothing half-written is left";
        }
    }
    QTemporaryDir dir;
    int made = 0;
};

// Without this, a writer that fails for another reason (a source it cannot read, a folder it may
// not use) would pass the tests below without showing anything.
TEST_F(Writers, EveryOneWritesOnAHealthyDisk) {
    for (const Writer &w : writers()) {
        const QString at = dir.filePath(QString::number(++made));
        ASSERT_TRUE(QDir().mkpath(at));
        const QString file = w.prepare(at);
        prepareSource(w, at);
        const QByteArray before = readAll(file);
        EXPECT_TRUE(w.write(file)) << w.name;
        if (w.changes) {
            EXPECT_NE(readAll(file), before) << w.name;
        }
    }
}

TEST_F(Writers, FailOnAFileSizeLimitKeepingTheOldFile) {
    runAll(
        [this] {
            const QString at = dir.filePath(QString::number(++made));
            return QDir().mkpath(at) ? at : QString();
        },
        [](const QString &) {}, [] { return std::make_shared<FileSizeLimit>(32); });
}

TEST_F(Writers, FailOnAFullDiskKeepingTheOldFile) {
    {
        const QString probe = dir.filePath(QStringLiteral("probe"));
        QDir().mkpath(probe);
        const SmallDisk disk(probe, "64k");
        if (!disk.mounted())
            GTEST_SKIP() << disk.reason().toStdString();
    }
    std::vector<std::unique_ptr<SmallDisk>> disks;
    runAll(
        [&] {
            const QString at = dir.filePath(QString::number(++made));
            QDir().mkpath(at);
            disks.push_back(std::make_unique<SmallDisk>(at, "256k"));
            return disks.back()->mounted() ? at : QString();
        },
        // What is left of the disk is taken by another file, to the last byte.
        [](const QString &at) {
            QFile filler(QDir(at).filePath(QStringLiteral("filler")));
            if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
                return;
            const QByteArray block(4096, 'f');
            while (filler.write(block) == block.size()) {
            }
            while (filler.write("f", 1) == 1) {
            }
        },
        [] { return std::shared_ptr<void>(); });
}

// Who may read what the writers make: a template replaced keeps the mode colleagues rely on, a new
// annotation file on the image share is readable by the group as the folder's umask gives it, and
// a work file with patient data is the user's alone whatever the umask.
TEST_F(Writers, ModesAsTheFolderAndTheFileGive) {
    const QString share = dir.filePath(QStringLiteral("share"));
    ASSERT_TRUE(QDir().mkpath(share));
    ::chmod(QFile::encodeName(share).constData(), 0775);
    const QString tpl = oldFile(share, "FBC.tpl");
    ::chmod(QFile::encodeName(tpl).constData(), 0644);
    const mode_t umaskBefore = ::umask(002);
    TWpTextControl text;
    text.setText(QStringLiteral("Full blood count"));
    EXPECT_TRUE(text.SaveDocument(tpl, 0, false, 0));
    const QString ant = QDir(share).filePath(QStringLiteral("scan0001.ant"));
    EXPECT_TRUE(marks(ant, 0, 2));
    ::umask(0);
    const QString work = dir.filePath(QStringLiteral("work/lastreport.rtf"));
    EXPECT_TRUE(PrivateFile::save(work, "report"));
    ::umask(umaskBefore);
    EXPECT_EQ(modeOf(tpl), 0644);
    EXPECT_EQ(modeOf(ant), 0664);
    EXPECT_EQ(modeOf(work), 0600);
    EXPECT_EQ(modeOf(dir.filePath(QStringLiteral("work"))), 0700);
}

} // namespace
