// The capture file: opened in place, each block flushed through, closed once.
#include "platform/files/CaptureFile.h"

bool CaptureFile::open(const QString &path, Mode mode) {
    close();
    m_error.clear();
    m_file = std::make_unique<PrivateFile>(path, mode == Mode::Append ? PrivateFile::Placing::Append
                                                                      : PrivateFile::Placing::AtOpen);
    if (m_file->open()) {
        return true;
    }
    m_error = m_file->errorString();
    m_file.reset();
    return false;
}

bool CaptureFile::write(const char *bytes, qint64 size) {
    if (!isOn()) {
        return false;
    }
    if (m_file->write(bytes, size) == size && m_file->flush()) {
        return true;
    }
    m_error = m_file->errorString();
    m_file->commit();
    return false;
}

bool CaptureFile::close() {
    if (!isOn()) {
        return true;
    }
    if (!m_file->commit()) {
        m_error = m_file->errorString();
        return false;
    }
    return true;
}
