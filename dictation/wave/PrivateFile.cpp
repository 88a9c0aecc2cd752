#include "dictation/wave/PrivateFile.h"

#include "dictation/wave/AudioErrors.h"

namespace {
[[noreturn]] void fail(const QSaveFile &file) {
    throw EACMAudioStreamError(QStringLiteral("The audio file %1 could not be written.\r\n%2")
                                   .arg(file.fileName(), file.errorString()));
}
} // namespace

void OpenPrivateFile(QSaveFile &file) {
    if (!file.open(QIODevice::WriteOnly))
        fail(file);
    // QSaveFile gives the new file the default mode; narrow it before anything is written.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        fail(file);
    }
}

void CommitPrivateFile(QSaveFile &file) {
    if (!file.commit())
        fail(file);
}

void WritePrivateFile(const QString &path, const QByteArray &data) {
    QSaveFile file(path);
    OpenPrivateFile(file);
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        fail(file);
    }
    CommitPrivateFile(file);
}
