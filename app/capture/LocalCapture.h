// The user's capture of everything the host sends into a file of their choosing (the capture
// button), written block by block as the receive pipeline hands the bytes over. The file is the
// user's alone from its first byte, and every block is on disk before the next one comes.
#pragma once

#include "common/UserMessages.h"
#include "platform/files/CaptureFile.h"

#include <QByteArray>
#include <QString>

class LocalCapture {
public:
    bool isOn() const { return m_file.isOn(); }
    QString fileName() const { return m_file.fileName(); }
    // Why the last start, write or stop failed.
    QString errorString() const { return m_error.isEmpty() ? m_file.errorString() : m_error; }

    // `path` emptied (or created) and the capture running; false with the reason when it cannot be.
    bool start(const QString &path);
    // The bytes written through to the file; false ends the capture (file closed).
    bool write(const QByteArray &bytes);
    // Ends the capture; false when the file did not close cleanly.
    bool stop();

    // FileCapturebuttonClick: a running capture is stopped when the user says so; otherwise the user
    // names a file (asked before one is overwritten) and the capture starts. The caller shows the
    // button down while isOn() (or the host's capture) runs.
    void ButtonClick(UserMessages &messages);

private:
    CaptureFile m_file;
    QString m_error; // a start refused before any file was made
};
