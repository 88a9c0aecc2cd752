// Audio tasks: the author and batch lists, where host-named audio files may lie, the embedded audio
// written to a work file (decoded by sox as the independent reader), and the dictation upload.
#include "common/LocalPath.h"
#include "common/testing/FailingDisk.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"
#include "dictation/audiotask/TAudioTask.h"
#include "editor/report/EditorAudioStatus.h"
#include "platform/audio/tests/AudioTestSupport.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <optional>

using orva::audio::test::runSox;
using orva::audio::test::soxProgram;

namespace {

// The sample host's audio task: a PLAYBACK task with 1.5 s of GSM 6.10 audio.
QByteArray sampleTask() {
    QFile f(qEnvironmentVariable("ORVA_SOURCE_DIR") + "/tools/samplehost/reports/dictation.txt");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QByteArray body;
    for (QByteArray line : f.readAll().split('\n'))
        body += line.trimmed();
    return body;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(AudioLists, Authors) {
    TAudioAuthors authors{{"stale", "", "", "", false}};
    ParseAuthorList("*Author A:S1:42:General;Author B:D7::no context", authors);
    const TAudioAuthors expected{{"S1", "42", "Author A", "General", true},
                                 {"D7", "", "Author B", "no context", false}};
    EXPECT_EQ(authors, expected);
    ParseAuthorList(";;Solo;\r\n*:x", authors);
    EXPECT_EQ(authors, (TAudioAuthors{{"", "", "Solo", "", false}, {"x", "", "", "", true}}))
        << "empty entries skipped, missing fields empty, line ends separate too";
    ParseAuthorList("", authors);
    EXPECT_TRUE(authors.isEmpty());
}

TEST(AudioLists, Batches) {
    TAudioBatchInfoRecords batches;
    ParseBatchInfo("1;Report A:0:15000:x;Report B:15000:abc", batches);
    const TAudioBatchInfoRecords expected{{"Report A", 0, 15000, true}, {"Report B", 15000, 0, false}};
    EXPECT_EQ(batches, expected);
    ParseBatchInfo("11:-5:+7;C: 5:99999999999:;1", batches);
    EXPECT_EQ(batches, (TAudioBatchInfoRecords{{"11", -5, 7, false}, {"C", 0, 0, false}}))
        << "only an entry of exactly 1 is skipped; blanks, overflow and empty fields give 0 or clear";
}

TEST(AudioFileResolver, HostNames) {
    LocalPath::SetPathMap({{"\\\\labsrv\\audio", "/mnt/audio"}});
    const QString work = "/home/u/.cache/orva";
    using K = TAudioFileRef::Kind;
    const struct {
        QByteArray name;
        K kind;
        const char *path;
    } cases[] = {
        {"", K::None, ""},
        {" \r\n", K::None, ""},
        {"Default.wav", K::WorkFile, "/home/u/.cache/orva/Default.wav"},
        {" job 1.wav\r\n", K::WorkFile, "/home/u/.cache/orva/job 1.wav"},
        {"\\\\labsrv\\audio\\2026\\J1.wav", K::Shared, "/mnt/audio/2026/J1.wav"},
        {"\\\\LABSRV\\Audio\\J1.wav", K::Shared, "/mnt/audio/J1.wav"},
        {"//labsrv/audio/J1.wav", K::Shared, "/mnt/audio/J1.wav"},
        {"\\\\labsrv\\audio\\..\\..\\etc\\passwd", K::Refused, ""},
        {"\\\\labsrv\\audio\\.\\J1.wav", K::Refused, ""},
        {"\\\\labsrv\\audio2\\J1.wav", K::Refused, ""},
        {"C:\\Temp\\J1.wav", K::Refused, ""},
        {"/etc/passwd", K::Refused, ""},
        {"sub/x.wav", K::Refused, ""},
        {"..", K::Refused, ""},
        {".", K::Refused, ""},
        {"x\x01y.wav", K::Refused, ""},
    };
    for (const auto &c : cases) {
        const TAudioFileRef ref = ResolveAudioFile(c.name, work);
        EXPECT_EQ(ref.kind, c.kind) << c.name.constData();
        EXPECT_EQ(ref.path, QString::fromUtf8(c.path)) << c.name.constData();
        EXPECT_EQ(ref.writable(), c.kind == K::WorkFile);
    }
    EXPECT_EQ(ResolveAudioFile("x.wav", QString()).kind, K::Refused) << "no work folder, no work file";
    LocalPath::SetPathMap({});
}

class AudioTaskFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString work() const { return dir.filePath("work"); }
    RecordingMessages messages;
};

TEST_F(AudioTaskFiles, EmbeddedAudioBecomesADecodableWorkFile) {
    const QByteArray message = sampleTask();
    ASSERT_FALSE(message.isEmpty());
    TAudioTask task(work(), messages);
    task.TaskText = message;
    EXPECT_TRUE(task.ReadAudioTask());
    const TReportRecord &r = task.AudioReportRecord;
    EXPECT_EQ(r.GetReqCode(), "26/00124");
    EXPECT_EQ(r.GetValue("AUDIOJOBNUMBER"), "SG_2121936900");
    EXPECT_EQ(r.AudioFile, "Default.wav");
    EXPECT_EQ(r.GetValue("AUDIOFILE"), "Default.wav");
    EXPECT_TRUE(r.AudioData.isEmpty()) << "the block goes once written";
    EXPECT_TRUE(messages.shown.isEmpty());
    const QString wav = QDir(work()).filePath("Default.wav");
    EXPECT_EQ(task.AudioFile().path, wav);
    EXPECT_EQ(QFile(wav).permissions() & ~(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ReadUser | QFileDevice::WriteUser),
              QFileDevice::Permissions());
    if (soxProgram("soxi").isEmpty())
        GTEST_SKIP() << "soxi not installed";
    EXPECT_EQ(runSox({"-e", wav}, "soxi").trimmed(), "GSM");
    EXPECT_EQ(runSox({"-r", wav}, "soxi").trimmed(), "22050");
    const double seconds = runSox({"-D", wav}, "soxi").trimmed().toDouble();
    EXPECT_NEAR(seconds, 1.5, 0.05);
    EXPECT_FALSE(runSox({wav, "-n"}).isNull()) << "the whole file decodes";
}

TEST_F(AudioTaskFiles, WhereTheAudioGoes) {
    const QByteArray audio = QByteArray("RIFF-stand-in").toBase64();
    TAudioTask task(work(), messages);
    // Any task but RECORD overwrites "Default.wav".
    task.TaskText = "KX_AUDIOONLY~1^KX_AUDIOTASK~PLAYBACK^KX_AUDIODATA~" + audio;
    task.ReadAudioTask();
    task.TaskText = "KX_AUDIOONLY~1^KX_AUDIOTASK~CORRECT^KX_AUDIODATA~" + QByteArray("second").toBase64();
    task.ReadAudioTask();
    EXPECT_EQ(readAll(QDir(work()).filePath("Default.wav")), "second");
    // RECORD gets a file of its own, named by the time.
    task.TaskText = "KX_AUDIOONLY~1^KX_AUDIOTASK~RECORD^KX_AUDIODATA~" + audio;
    task.ReadAudioTask();
    EXPECT_TRUE(QRegularExpression("^AudioData\\.\\d{11}\\.wav$")
                    .match(QString::fromLatin1(task.AudioReportRecord.AudioFile))
                    .hasMatch())
        << task.AudioReportRecord.AudioFile.constData();
    EXPECT_EQ(readAll(task.AudioFile().path), "RIFF-stand-in");
    // A bare name from the host is used as given.
    task.TaskText = "KX_AUDIOTASK~PLAYBACK^KX_AUDIOFILE~J7.wav\r\n^KX_AUDIODATA~" + audio;
    task.ReadAudioTask();
    EXPECT_EQ(readAll(QDir(work()).filePath("J7.wav")), "RIFF-stand-in");
    // A task without audio keeps nothing of the last one.
    task.TaskText = "KX_AUDIOTASK~PLAYBACK^KX_REQCODE~R2";
    task.ReadAudioTask();
    EXPECT_TRUE(task.AudioReportRecord.AudioData.isEmpty());
    EXPECT_EQ(task.AudioFile().kind, TAudioFileRef::Kind::None);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(AudioTaskFiles, AudioThatCannotBeKeptIsReportedOnce) {
    LocalPath::SetPathMap({{"\\\\labsrv\\audio", dir.filePath("share")}});
    QDir().mkpath(dir.filePath("share"));
    {
        QFile shared(dir.filePath("share/J1.wav"));
        ASSERT_TRUE(shared.open(QIODevice::WriteOnly));
        shared.write("host copy");
    }
    const struct {
        const char *name;
        QByteArray message;
        const char *says;
    } cases[] = {
        {"bad base64", "KX_AUDIOTASK~PLAYBACK^KX_AUDIOFILE~bad.wav^KX_AUDIODATA~QUJD*", "could not be saved"},
        {"shared file", "KX_AUDIOTASK~PLAYBACK^KX_AUDIOFILE~\\\\labsrv\\audio\\J1.wav^KX_AUDIODATA~QUJD",
         "shared folder"},
        {"escape", "KX_AUDIOTASK~PLAYBACK^KX_AUDIOFILE~..\\..\\x.wav^KX_AUDIODATA~QUJD",
         "outside the work folder"},
    };
    for (const auto &c : cases) {
        messages.shown.clear();
        TAudioTask task(work(), messages);
        task.TaskText = c.message;
        EXPECT_TRUE(task.ReadAudioTask()) << c.name << ": the task still opens";
        ASSERT_EQ(messages.shown.size(), 1) << c.name;
        EXPECT_TRUE(messages.shown.first().contains(c.says))
            << c.name << messages.shown.first().toStdString();
        EXPECT_FALSE(task.AudioReportRecord.AudioData.isEmpty()) << c.name << ": the block stays";
    }
    EXPECT_FALSE(QFile::exists(QDir(work()).filePath("bad.wav"))) << "no partial file";
    EXPECT_EQ(readAll(dir.filePath("share/J1.wav")), "host copy") << "a shared file is never written";
    EXPECT_FALSE(QFile::exists(dir.filePath("x.wav")));
    LocalPath::SetPathMap({});
}

// A recording the user made and has not sent lies in the work folder under a name the host may
// use again: no task, whether its audio is bad, does not fit on the disk or is other audio, may
// replace or delete it.
TEST_F(AudioTaskFiles, AnUnsentRecordingIsNeverReplaced) {
    QByteArray recording(20000, Qt::Uninitialized);
    for (int i = 0; i < recording.size(); ++i)
        recording[i] = char(i * 7 + 3);
    ASSERT_TRUE(QDir().mkpath(work()));
    const QString mine = QDir(work()).filePath("J7.wav");
    {
        QFile f(mine);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(recording), recording.size());
    }
    const QByteArray host = QByteArray(30000, 'h').toBase64();
    const QByteArray head = "KX_AUDIOONLY~1^KX_AUDIOTASK~PLAYBACK^KX_AUDIOFILE~J7.wav^KX_AUDIODATA~";
    const struct {
        const char *name;
        QByteArray data;
        rlim_t limit; // 0: no limit
        const char *says;
    } failing[] = {
        {"bad base64", "QUJD*QUJD", 0, "not valid base64"},
        {"failing disk", host, 4096, "could not be saved"},
    };
    for (const auto &c : failing) {
        messages.shown.clear();
        TAudioTask task(work(), messages);
        task.TaskText = head + c.data;
        {
            std::optional<FileSizeLimit> limit;
            if (c.limit)
                limit.emplace(c.limit);
            EXPECT_TRUE(task.ReadAudioTask()) << c.name;
        }
        EXPECT_EQ(readAll(mine), recording) << c.name;
        ASSERT_EQ(messages.shown.size(), 1) << c.name;
        EXPECT_TRUE(messages.shown.first().contains(c.says))
            << c.name << messages.shown.first().toStdString();
        EXPECT_FALSE(task.AudioReportRecord.AudioData.isEmpty()) << c.name;
        EXPECT_EQ(QDir(work()).entryList(QDir::Files | QDir::Hidden), QStringList{"J7.wav"})
            << c.name << ": nothing left behind";
    }

    // Other audio for the same name: the recording stays, the host's audio gets a new file.
    messages.shown.clear();
    TAudioTask task(work(), messages);
    task.TaskText = head + host;
    task.ReadAudioTask();
    EXPECT_EQ(readAll(mine), recording);
    const QString received = task.AudioFile().path;
    EXPECT_NE(received, mine);
    EXPECT_EQ(readAll(received), QByteArray(30000, 'h'));
    EXPECT_EQ(task.AudioReportRecord.GetValue("AUDIOFILE"), QFileInfo(received).fileName().toLatin1());
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown.first().contains("J7.wav")) << messages.shown.first().toStdString();
    // The same audio again is simply the file there.
    messages.shown.clear();
    task.TaskText = "KX_AUDIOTASK~PLAYBACK^KX_AUDIOFILE~J7.wav^KX_AUDIODATA~" + recording.toBase64();
    task.ReadAudioTask();
    EXPECT_EQ(task.AudioFile().path, mine);
    EXPECT_TRUE(messages.shown.isEmpty());
}

// Recording names repeat every month: a name in use moves on to the next free millisecond, and a
// name made exclusively is never one that appeared after the probe.
TEST_F(AudioTaskFiles, RecordingNamesNeverReplaceAnEarlierRecording) {
    ASSERT_TRUE(QDir().mkpath(work()));
    const QDateTime at(QDate(2026, 3, 10), QTime(9, 15, 30, 250));
    const QString first = QDir(work()).filePath("AudioData.10091530250.wav");
    EXPECT_EQ(FreeAudioWorkFile(work(), at), first);
    {
        QFile f(first);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("last month's recording");
    }
    const QString second = QDir(work()).filePath("AudioData.10091530251.wav");
    EXPECT_EQ(FreeAudioWorkFile(work(), at), second);
    QString error;
    EXPECT_EQ(NewAudioWorkFile(work(), &error, at), second) << error.toStdString();
    EXPECT_EQ(NewAudioWorkFile(work(), &error, at), QDir(work()).filePath("AudioData.10091530252.wav"))
        << "the name just made is taken too";
    EXPECT_EQ(readAll(first), "last month's recording");
    EXPECT_EQ(QFileInfo(second).size(), 0);
    EXPECT_EQ(QFile(second).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
              QFileDevice::Permissions());
}

class AudioUpload : public AudioTaskFiles {
protected:
    void SetUp() override {
        task.TaskText = "KX_AUDIOONLY~1^KX_AUDIOTASK~RECORD^KX_REQCODE~R1^KX_PROCCODE~P1"
                        "^KX_AUDIOJOBNUMBER~J1_2121936900";
        task.ReadAudioTask();
        task.AudioReportRecord.SetValue("AUTHOR", "S1;Author A;42");
        task.AudioReportRecord.SetValue("CONTEXT", "General");
        task.AudioReportRecord.SetValue("AUDIODESCRIPTION", "Desc");
        task.AudioReportRecord.SetValue("AUDIOJOBNUMBER", "");
        QFile f(abc());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("ABC");
    }
    QString abc() const { return dir.filePath("abc.wav"); }
    TAudioTask task{work(), messages};
};

TEST_F(AudioUpload, MessageBytes) {
    const QByteArray text = "KX_AUDIOTEXT\rR1 P1\rS1;Author A;42\rGeneral\rDesc\r\r\r";
    EXPECT_EQ(task.UploadText(), text);
    UploadMessage m;
    ASSERT_TRUE(task.BuildAudioUpload(abc(), m));
    EXPECT_EQ(m.head, "\x07"
                      "49 49 6 3497 308\x03\x02" +
                          text + "\x03");
    EXPECT_EQ(m.lines, (QByteArrayList{"QUJD", "|||"}));

    // A correction sends no audio; its text (with its line breaks, high bytes as they are) ends T.
    task.AudioReportRecord.SetValue("AUDIOJOBNUMBER", "J1");
    task.AudioReportRecord.SetValue("CORRECTEDTEXT", "Line one\r\nCaf\xE9");
    ASSERT_TRUE(task.BuildAudioUpload(QString(), m));
    const QByteArray corrected =
        "KX_AUDIOTEXT\rR1 P1\rS1;Author A;42\rGeneral\rDesc\r\rJ1\rLine one\r\nCaf\xE9";
    EXPECT_EQ(m.head, "\x07" + QByteArray::number(corrected.size()) + ' ' +
                          QByteArray::number(corrected.size() - 1) + " 0 " +
                          HostChecksum(corrected, corrected.size()) + " 0\x03\x02" + corrected + "\x03");
    EXPECT_EQ(m.lines, QByteArrayList{"|||"});

    QString error;
    EXPECT_FALSE(task.BuildAudioUpload(dir.filePath("missing.wav"), m, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(AudioUpload, TransmitStartsOnceAndTellsTheEditor) {
    QByteArrayList told;
    SetEditorAudioStatusCallback([&](const QByteArray &name, const QByteArray &text, int code) {
        told.append(name + '|' + text + '|' + QByteArray::number(code));
    });
    task.AudioReportRecord.SetValue("AUDIOJOBNUMBER", "J1");
    task.AudioReportRecord.SetValue("CORRECTEDTEXT", "Corrected");
    FakeHostLink link;
    link.pending = 20000;
    HostSendQueue queue(link);

    link.state = LinkState::Closed;
    EXPECT_FALSE(task.TransmitAudio(queue, abc()));
    EXPECT_TRUE(messages.shown.last().contains("link to the host is down"));
    link.state = LinkState::Connected;
    EXPECT_FALSE(task.TransmitAudio(queue, dir.filePath("missing.wav")));
    EXPECT_TRUE(messages.shown.last().contains("could not be read"));
    EXPECT_TRUE(link.sends.isEmpty());
    EXPECT_TRUE(told.isEmpty()) << "nothing started, nothing told";

    EXPECT_TRUE(task.TransmitAudio(queue, abc()));
    EXPECT_TRUE(queue.ResultTransferActive());
    EXPECT_TRUE(queue.AudioTransfer());
    EXPECT_EQ(told, QByteArrayList{"J1|Corrected|4"});
    EXPECT_EQ(link.sends.size(), 1);

    // A second upload (or the editor's) waits; so does the ESC of closing a task.
    EXPECT_FALSE(task.TransmitAudio(queue, abc()));
    EXPECT_TRUE(messages.shown.last().contains("already in progress"));
    queue.SendWhenIdle("\x1B");
    EXPECT_EQ(link.sends.size(), 1);
    queue.SetResultTransferActive(false);
    EXPECT_EQ(link.sends.last(), "\x1B");
    EXPECT_EQ(told.size(), 1);
    SetEditorAudioStatusCallback({});
}

} // namespace
