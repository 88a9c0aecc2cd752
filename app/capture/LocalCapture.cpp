// The user's capture file and the capture button's dialogue.
#include "app/capture/LocalCapture.h"

#include <QFileInfo>

namespace {
const QString kFilter =
    QStringLiteral("Text Files (*.txt);;Binary Data Files (*.dat);;Any (non-text) File (*)");
} // namespace

bool LocalCapture::start(const QString &path) {
    stop();
    m_error.clear();
    // The user names a file in a folder that is there; no folder is made for a mistyped name.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        m_error = QStringLiteral("the folder %1 does not exist.").arg(folder);
        return false;
    }
    // A new private file is put in place of an existing one at once: nothing is written into the
    // old file, and when the new one cannot be made the old one stays as it was.
    return m_file.open(path);
}

bool LocalCapture::write(const QByteArray &bytes) {
    return m_file.write(bytes);
}

bool LocalCapture::stop() {
    return m_file.close();
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
