// Audio task records, their embedded audio and the dictation upload.
#include "dictation/audiotask/TAudioTask.h"

#include "common/HostText.h"
#include "editor/report/EditorAudioStatus.h"
#include "platform/files/PrivateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <charconv>

namespace {

const QString kCaption = QStringLiteral("Audio Task");

// Entries of a ";"-separated list (line ends separate too), empty ones left out.
QByteArrayList entries(const QByteArray &text) {
    QByteArray t = text;
    t.replace(';', '\n').replace('\r', '\n');
    QByteArrayList out = t.split('\n');
    out.removeIf([](const QByteArray &e) { return e.isEmpty(); });
    return out;
}

// Field n (1-based) of a ":"-separated entry; empty when the entry has fewer.
QByteArray field(const QByteArrayList &fields, int n) {
    return fields.value(n - 1);
}

// A decimal integer with an optional sign and nothing else around it; else 0.
int integerOr0(const QByteArray &text) {
    int v = 0;
    const char *begin = text.constData();
    const char *end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, v);
    return ec == std::errc() && ptr == end && begin != end ? v : 0;
}

} // namespace

void ParseAuthorList(const QByteArray &text, TAudioAuthors &authors) {
    authors.clear();
    for (const QByteArray &entry : entries(text)) {
        const QByteArrayList f = entry.split(':');
        TAudioAuthor a;
        a.DisplayName = field(f, 1);
        a.Default = a.DisplayName.startsWith('*');
        if (a.Default)
            a.DisplayName.remove(0, 1);
        a.FirstCode = field(f, 2);
        a.SecondCode = field(f, 3);
        a.Context = field(f, 4);
        authors.append(a);
    }
}

void ParseBatchInfo(const QByteArray &text, TAudioBatchInfoRecords &batches) {
    batches.clear();
    for (const QByteArray &entry : entries(text)) {
        if (entry == "1")
            continue;
        const QByteArrayList f = entry.split(':');
        TAudioBATCHINFO b;
        b.Name = field(f, 1);
        b.Start = integerOr0(field(f, 2));
        b.End = integerOr0(field(f, 3));
        b.Flag = !field(f, 4).isEmpty();
        batches.append(b);
    }
}

bool DecodeBase64ToFile(const QByteArray &base64, const QString &file, QString *error) {
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        if (error)
            *error = QStringLiteral("The audio data is not valid base64.");
        return false;
    }
    return PrivateFile::save(file, *decoded, error);
}

QString AudioWorkFileName(const QDateTime &at) {
    return QStringLiteral("AudioData.") + at.toString(QStringLiteral("ddhhmmsszzz")) + QStringLiteral(".wav");
}

namespace {

// A month of milliseconds covers every name there is; a folder never holds that many recordings.
constexpr int kNameTries = 100000;

} // namespace

QString FreeAudioWorkFile(const QString &folder, const QDateTime &at) {
    QString path;
    for (int i = 0; i < kNameTries; ++i) {
        path = QDir(folder).filePath(AudioWorkFileName(at.addMSecs(i)));
        if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
            break;
    }
    return path;
}

QString NewAudioWorkFile(const QString &folder, QString *error, const QDateTime &at) {
    for (int i = 0; i < kNameTries; ++i) {
        const QString path = QDir(folder).filePath(AudioWorkFileName(at.addMSecs(i)));
        switch (PrivateFile::reserve(path, error)) {
        case PrivateFile::Reserved::Made:
            return path;
        case PrivateFile::Reserved::Taken:
            continue;
        case PrivateFile::Reserved::Failed:
            return {};
        }
    }
    if (error)
        *error = QStringLiteral("No free name for a recording is left in %1.").arg(folder);
    return {};
}

TAudioTask::TAudioTask(QString workFolder, UserMessages &messages)
    : m_workFolder(std::move(workFolder)), m_messages(messages) {}

bool TAudioTask::ReadAudioTask() {
    AudioReportRecord.ClearValues();
    LoadReportKeys(AudioReportRecord);
    AudioReportRecord.Parse(TaskText);
    writeAudio();
    return true;
}

TAudioFileRef TAudioTask::AudioFile() const {
    return ResolveAudioFile(AudioReportRecord.AudioFile, m_workFolder);
}

void TAudioTask::writeAudio() {
    TReportRecord &r = AudioReportRecord;
    if (r.AudioData.isEmpty())
        return;
    const bool named = !r.AudioFile.trimmed().isEmpty();
    const bool record = value("AUDIOTASK").trimmed().compare("RECORD", Qt::CaseInsensitive) == 0;
    if (!named) {
        r.AudioFile = record ? QFileInfo(FreeAudioWorkFile(m_workFolder)).fileName().toLatin1()
                             : QByteArray("Default.wav");
        r.SetValue("AUDIOFILE", r.AudioFile);
    }
    const TAudioFileRef ref = AudioFile();
    const QString name = HostText::toUnicode(r.AudioFile.trimmed());
    if (ref.kind == TAudioFileRef::Kind::Shared) {
        m_messages.warning(kCaption,
                           QStringLiteral("The audio sent with this task was not saved: the host "
                                          "names a file on a shared folder, which is only read.\r\n") +
                               name);
        return;
    }
    if (!ref.writable()) {
        m_messages.warning(
            kCaption, QStringLiteral("The audio sent with this task was not saved: the host names a file "
                                     "outside the work folder.\r\n") +
                          name);
        return;
    }
    const QString failed = QStringLiteral("The audio sent with this task could not be saved.\r\n");
    const auto audio = QByteArray::fromBase64Encoding(r.AudioData, QByteArray::AbortOnBase64DecodingErrors);
    if (!audio) {
        m_messages.warning(kCaption, failed + QStringLiteral("The audio data is not valid base64."));
        return;
    }
    // "Default.wav" only ever holds the host's audio and is replaced. Any other work file may hold
    // what the user recorded and has not sent yet: it is never replaced, the audio goes to a file
    // made new for it.
    QString path = ref.path;
    QString kept;
    QString error;
    const bool ownFile = named || record;
    if (ownFile) {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly)) {
            if (existing.readAll() == *audio) {
                r.AudioData.clear();
                return;
            }
            kept = path;
        }
        if (!kept.isEmpty() || PrivateFile::reserve(path, &error) != PrivateFile::Reserved::Made)
            path = NewAudioWorkFile(m_workFolder, &error);
        if (path.isEmpty()) {
            m_messages.warning(kCaption, failed + error);
            return;
        }
    }
    if (!PrivateFile::save(path, *audio, &error)) {
        if (ownFile)
            QFile::remove(path); // the empty file made for it above
        m_messages.warning(kCaption, failed + error);
        return;
    }
    if (path != ref.path) {
        r.AudioFile = QFileInfo(path).fileName().toLatin1();
        r.SetValue("AUDIOFILE", r.AudioFile);
    }
    r.AudioData.clear();
    if (!kept.isEmpty())
        m_messages.information(kCaption,
                               QStringLiteral("The work folder already holds %1, which may be a recording "
                                              "that has not been sent: it is kept as it is. The audio "
                                              "sent with this task is in %2.")
                                   .arg(kept, path));
}

QByteArray TAudioTask::UploadText() const {
    QByteArray t = "KX_AUDIOTEXT\r";
    t += AudioReportRecord.GetReqCode() + ' ' + AudioReportRecord.GetProcCode() + '\r';
    for (const char *name : {"AUTHOR", "CONTEXT", "AUDIODESCRIPTION", "AUDIOFORMAT", "AUDIOJOBNUMBER"})
        t += value(name) + '\r';
    return t + value("CORRECTEDTEXT");
}

bool TAudioTask::BuildAudioUpload(const QString &audioFile, UploadMessage &message, QString *error) const {
    QByteArray base64;
    if (!audioFile.isEmpty()) {
        QFile f(audioFile);
        if (!f.open(QIODevice::ReadOnly)) {
            if (error)
                *error = f.errorString();
            return false;
        }
        const QByteArray data = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            if (error)
                *error = f.errorString();
            return false;
        }
        base64 = data.toBase64();
    }
    message = BuildUploadMessage(UploadText(), base64);
    return true;
}

bool TAudioTask::TransmitAudio(HostSendQueue &queue, const QString &audioFile) {
    const QString caption = QStringLiteral("Audio File Transmit");
    const QString busy =
        QStringLiteral("An upload is already in progress. Please wait until it has finished, "
                       "then transmit again.");
    if (queue.ResultTransferActive()) {
        m_messages.warning(caption, busy);
        return false;
    }
    UploadMessage message;
    QString error;
    if (!BuildAudioUpload(audioFile, message, &error)) {
        m_messages.error(caption,
                         QStringLiteral("The recording could not be read, so nothing was sent.\r\n") +
                             audioFile + QStringLiteral("\r\n") + error);
        return false;
    }
    switch (queue.Start(message, true)) {
    case HostSendQueue::StartResult::Busy:
        m_messages.warning(caption, busy);
        return false;
    case HostSendQueue::StartResult::LinkDown:
        m_messages.error(caption,
                         QStringLiteral("The link to the host is down: the dictation was not sent."));
        return false;
    case HostSendQueue::StartResult::Started:
        break;
    }
    const QByteArray corrected = value("CORRECTEDTEXT");
    if (!corrected.isEmpty())
        NotifyEditorAudioStatus(value("AUDIOJOBNUMBER"), corrected, AudioStatusCode(8));
    return true;
}
