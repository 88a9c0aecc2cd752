// A capture: a file the received bytes are added to as they come, read by others while it grows.
// It is the user's alone from its first byte, and every block is on disk before the next one comes.
// A write that fails ends the capture, so a full disk stops it once instead of failing every block.
#pragma once

#include "platform/files/PrivateFile.h"

#include <QByteArray>
#include <QString>

#include <memory>

class CaptureFile {
public:
    enum class Mode {
        Replace, // a new file put in place of the one there at once
        Append,  // added to the end of the file there is, or a new one
    };

    bool isOn() const { return m_file && m_file->isOpen(); }
    // The file of the running capture, or of the last one until another starts.
    QString fileName() const { return m_file ? m_file->fileName() : QString(); }
    // Why the last open, write or close failed.
    QString errorString() const { return m_error; }

    // Ends a running capture and starts one into `path`; false with errorString() when it cannot.
    bool open(const QString &path, Mode mode = Mode::Replace);
    // False when the bytes could not be written through to the disk; the capture is then ended.
    bool write(const char *bytes, qint64 size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Ends the capture; false when the file could not be written out and closed.
    bool close();

private:
    std::unique_ptr<PrivateFile> m_file;
    QString m_error;
};
