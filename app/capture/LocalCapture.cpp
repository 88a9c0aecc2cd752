// The user's capture file and the capture button's dialogue.
#include "app/capture/LocalCapture.h"

#include <QFileInfo>

namespace {
const QString kFilter =
    QStringLiteral("Text Files (*.txt);;Binary Data Files (*.dat);;Any (non-text) File (*)");
constexpr QFileDevice::Permissions kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

bool LocalCapture::start(const QString &path) {
    stop();
    m_error.clear();
    m_file.setFileName(path);
    // A new file is created private; an existing one is made private before anything is written.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate, kPrivate)) {
        m_error = m_file.errorString();
        return false;
    }
    if (!m_file.setPermissions(kPrivate)) {
        m_error = m_file.errorString();
        m_file.close();
        return false;
    }
    return true;
}

bool LocalCapture::write(const QByteArray &bytes) {
    if (!m_file.isOpen()) {
        return false;
    }
    if (m_file.write(bytes) == bytes.size() && m_file.flush()) {
        return true;
    }
    m_error = m_file.errorString();
    m_file.close();
    return false;
}

bool LocalCapture::stop() {
    if (!m_file.isOpen()) {
        return true;
    }
    const bool flushed = m_file.flush();
    m_file.close();
    if (!flushed || m_file.error() != QFileDevice::NoError) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

void LocalCapture::ButtonClick(UserMessages &messages) {
    if (isOn()) {
        if (messages.yesNo(QStringLiteral("Capture to File."),
                           QStringLiteral("Do you want to stop file capture?")) &&
            !stop()) {
            messages.error(QStringLiteral("Capture to File."),
                           QStringLiteral("The capture file ") + fileName() +
                               QStringLiteral(" may be incomplete: ") + errorString());
        }
        return;
    }
    for (;;) {
        QString name =
            messages.saveFileNameNoOverwriteCheck(QStringLiteral("File Capture"), QString(), kFilter);
        if (name.isEmpty()) {
            return;
        }
        if (QFileInfo(name).suffix().isEmpty()) {
            name += QStringLiteral(".txt");
        }
        if (QFileInfo::exists(name)) {
            const UserMessages::Answer answer = messages.yesNoCancel(
                QStringLiteral("File Capture Exists"),
                QStringLiteral("File already exists.\r\nDo you want to overwrite the current file?"));
            if (answer == UserMessages::Answer::No) {
                continue;
            }
            if (answer == UserMessages::Answer::Cancel) {
                return;
            }
        }
        if (!start(name)) {
            messages.error(QStringLiteral("File Capture"), QStringLiteral("The capture file ") + name +
                                                               QStringLiteral(" could not be created: ") +
                                                               errorString());
        }
        return;
    }
}
