// Host input of an audio task: the task message with its lists, job date and AUDIOFILE name. Audio is
// written to a private scratch folder; nothing else may be touched.
#include "common/UserMessages.h"
#include "dictation/audiotask/TAudioTask.h"
#include "editor/report/HostDateTime.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>

namespace {
class Silent : public UserMessages {
public:
    void show(Kind, const QString &, const QString &) override {}
    Answer ask(Buttons, const QString &, const QString &) override { return Answer::No; }
    bool inputBox(const QString &, const QString &, QString &) override { return false; }
    QString openFileName(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(const QString &, const QString &, const QString &) override { return {}; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static QTemporaryDir scratch;
    static Silent silent;
    const QByteArray message(reinterpret_cast<const char *>(data), qsizetype(size));
    TAudioTask task(scratch.path(), silent);
    task.TaskText = message;
    task.ReadAudioTask();
    TAudioAuthors authors;
    ParseAuthorList(task.AudioReportRecord.GetValue("AUTHORLIST"), authors);
    TAudioBatchInfoRecords batches;
    ParseBatchInfo(task.AudioReportRecord.GetValue("AUDIOBATCHINFO"), batches);
    const QByteArray job = task.AudioReportRecord.GetValue("AUDIOJOBNUMBER");
    const double when = HostDateTimeToDateTime(job.mid(job.indexOf('_') + 1).trimmed());
    if (when != kNoHostDateTime)
        DateTimeToHostDateTime(when);
    const TAudioFileRef ref = task.AudioFile();
    if (ref.writable() && !QDir(scratch.path()).relativeFilePath(ref.path).startsWith(".."))
        QFile::remove(ref.path);
    UploadMessage upload;
    task.BuildAudioUpload(QString(), upload);
    return 0;
}
