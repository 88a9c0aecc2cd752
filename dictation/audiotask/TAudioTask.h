// An audio task from the host (an audio-only report message) as the dictation window works on it:
// the parsed task record, its embedded audio written to a work file, the author and batch lists,
// and the upload of the finished dictation with its descriptive text.
#pragma once

#include "common/UserMessages.h"
#include "dictation/audiotask/AudioFileResolver.h"
#include "editor/report/HostUpload.h"
#include "editor/report/TReportRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// One author of AUTHORLIST ("*name:code:code:context", "*" marking the default).
struct TAudioAuthor {
    QByteArray FirstCode;
    QByteArray SecondCode;
    QByteArray DisplayName;
    QByteArray Context; // the recognition context
    bool Default = false;
    bool operator==(const TAudioAuthor &) const = default;
};
using TAudioAuthors = QList<TAudioAuthor>;

// One batched report of AUDIOBATCHINFO ("name:start:end:flag", times in ms).
struct TAudioBATCHINFO {
    QByteArray Name;
    int Start = 0; // 0 when not a valid integer
    int End = 0;
    bool Flag = false; // the fourth field is not empty
    bool operator==(const TAudioBATCHINFO &) const = default;
};
using TAudioBatchInfoRecords = QList<TAudioBATCHINFO>;

// Entries separated by ";" (or line ends), fields by ":"; empty entries are skipped.
void ParseAuthorList(const QByteArray &text, TAudioAuthors &authors);
// The same; an entry that is exactly "1" is skipped too.
void ParseBatchInfo(const QByteArray &text, TAudioBatchInfoRecords &batches);

// Decodes standard base64 into `file` (replacing it, owner-only). On any error the file is as it
// was and `error` says why.
bool DecodeBase64ToFile(const QByteArray &base64, const QString &file, QString *error = nullptr);

// "AudioData." + day, hour, minute, second and millisecond of `at` + ".wav": the name of audio made,
// imported or received for a RECORD task.
QString AudioWorkFileName(const QDateTime &at = QDateTime::currentDateTime());
// The path in `folder` of an AudioData name that no file has. The names repeat every month, so a
// name taken by an earlier recording moves on to the next millisecond's. The name is only probed:
// for a name of one's own at once, see NewAudioWorkFile.
QString FreeAudioWorkFile(const QString &folder, const QDateTime &at = QDateTime::currentDateTime());
// As FreeAudioWorkFile, but the file is made (empty, owner-only) exclusively, so that what is written
// to it never replaces another file. Empty, with `error` set, when no file can be made.
QString NewAudioWorkFile(const QString &folder, QString *error = nullptr,
                         const QDateTime &at = QDateTime::currentDateTime());

class TAudioTask {
public:
    // `workFolder`: the local results folder, where task audio is written; `messages` tells the user
    // of audio that could not be kept and of uploads that could not start.
    TAudioTask(QString workFolder, UserMessages &messages);

    // The raw audio task message last given to the dictation window.
    QByteArray TaskText;
    TReportRecord AudioReportRecord;

    // Parses TaskText into AudioReportRecord and writes its embedded audio: to AUDIOFILE when the
    // host names a work file, else to a new "AudioData.<time>.wav" (RECORD) or "Default.wav" (any
    // other task), which AUDIOFILE then names. A named work file that already holds other audio may
    // be a recording not yet sent: it is kept, the host's audio goes to a new AudioData file, which
    // AUDIOFILE then names, and the user is told. The audio block is emptied once written; when it
    // cannot be written the block stays, every file is as it was, and the user is told once.
    // Always true: the task opens either way.
    bool ReadAudioTask();
    // Where the task's audio lies, as AUDIOFILE names it.
    TAudioFileRef AudioFile() const;

    // The dictation upload text: "KX_AUDIOTEXT", "ReqCode ProcCode", AUTHOR, CONTEXT,
    // AUDIODESCRIPTION, AUDIOFORMAT, AUDIOJOBNUMBER each ended by CR, then CORRECTEDTEXT.
    QByteArray UploadText() const;
    // The whole upload of the finished dictation, with `audioFile` (local; empty: no audio) as its
    // base64 part. False, with `error` set, when the file cannot be read: nothing is built then.
    bool BuildAudioUpload(const QString &audioFile, UploadMessage &message, QString *error = nullptr) const;
    // Builds the upload and starts it on the shared queue. Refused, with the user told, when the
    // file cannot be read, another upload is under way or the link is down; the task stays open.
    // Once started, corrected text is reported to the editor (status 4).
    bool TransmitAudio(HostSendQueue &queue, const QString &audioFile);

private:
    QByteArray value(const char *name) const { return AudioReportRecord.GetValue(name); }
    void writeAudio();

    QString m_workFolder;
    UserMessages &m_messages;
};
