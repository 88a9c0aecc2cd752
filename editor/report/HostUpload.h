// The upload message that carries a finished report or a recording to the host, and the one
// outbound line queue that releases its base64 lines as the host acknowledges them.
#pragma once

#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <functional>

// Sum of (byte AND 0x7F) over the first `count` bytes, leaving out 0x0A and 0x8A, in decimal.
QByteArray HostChecksum(const QByteArray &text, qsizetype count);
// Widths above 80 become 84. Full runs of `width` characters each end with CR LF, the rest does not.
QByteArray WrapBase64Lines(const QByteArray &text, int width);
// The same cut as WrapBase64Lines(text, 248), as separate lines without CR LF.
QByteArrayList Base64Lines(const QByteArray &base64);

// Header and text (BEL, the five numbers, ETX STX text ETX) and the lines to queue after it,
// ending with "|||".
struct UploadMessage {
    QByteArray head;
    QByteArrayList lines;
};
UploadMessage BuildUploadMessage(const QByteArray &text, const QByteArray &base64);

class HostSendQueue {
public:
    enum class StartResult { Started, Busy, LinkDown };
    // Lines stop leaving in one call once the link holds more than this many unsent bytes.
    static constexpr qint64 kPendingLimit = 10000;

    explicit HostSendQueue(HostLink &link) : m_link(link) {}

    // Sends the head at once and queues the lines; refused while another upload is under way
    // (that one goes on) and when the link is down (nothing is sent).
    StartResult Start(const UploadMessage &message, bool audio = false);
    // Sends from the index on: at least one line, then until the link is full or the queue done.
    void SendQueuedLines();
    // The queue emptied and the index back at 0; the flags stay.
    void Clear();
    // The link went down: an upload under way is ended (flags off, queue cleared). True when one was.
    bool LinkDropped();

    // A reply outside the upload (the single ESC); false when the link is down.
    bool SendDirect(const QByteArray &bytes);
    // Sent at once when no upload is under way; otherwise held back and sent when the upload ends,
    // so that it never lands between the upload's lines. Held bytes are dropped with the link.
    void SendWhenIdle(const QByteArray &bytes);

    bool ResultTransferActive() const { return m_active; }
    // Switching the flag off ends the upload: bytes held back go out then.
    void SetResultTransferActive(bool on);
    bool AudioTransfer() const { return m_audio; }
    void SetAudioTransfer(bool on) { m_audio = on; }

    const QByteArrayList &Lines() const { return m_lines; }
    int HostSendIndex() const { return m_index; }

    // Position 0..1000 of the transfer's progress bar.
    std::function<void(int)> onProgress;
    // An upload ended because the link was lost; true when it was a dictation.
    std::function<void(bool audio)> onTransferLost;

private:
    HostLink &m_link;
    QByteArrayList m_lines;
    int m_index = 0;
    bool m_active = false;
    bool m_audio = false;
    QByteArray m_held;
};

// Starting a report upload from the outgoing copy of the document (`tmpFile`, deleted afterwards
// in every case). With `dontReturnBinary` the document is not sent (B is one blank). A debug copy
// "Datacopy.txt" is written to `workFolder` (owner-only); failing to write it does not stop the
// upload. `error` receives the reason of a failure to read the file.
enum class ReportUploadResult { Started, Busy, LinkDown, FileError };
ReportUploadResult StartReportUpload(HostSendQueue &queue, const QByteArray &text, const QString &tmpFile,
                                     bool dontReturnBinary, const QString &workFolder, QString *error);
