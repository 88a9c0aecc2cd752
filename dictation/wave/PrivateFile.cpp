#include "dictation/wave/PrivateFile.h"

#include "dictation/wave/AudioErrors.h"

namespace {
[[noreturn]] void fail(const PrivateFile &file) {
    throw EACMAudioStreamError(QStringLiteral("The audio file %1 could not be written.\r\n%2")
                                   .arg(file.fileName(), file.errorString()));
}
} // namespace

void OpenPrivateFile(PrivateFile &file) {
    if (!file.open())
        fail(file);
}

void CommitPrivateFile(PrivateFile &file) {
    if (!file.commit())
        fail(file);
}

void WritePrivateFile(const QString &path, const QByteArray &data) {
    PrivateFile file(path);
    OpenPrivateFile(file);
    if (file.write(data) != data.size()) {
        file.cancel();
        fail(file);
    }
    CommitPrivateFile(file);
}
