// Audio work files hold patient dictation: they are readable by the owner only from the first
// byte, and written through a temporary file so that a failed write leaves the old file as it was.
#pragma once

#include <QSaveFile>
#include <QString>

// Opens `file` for writing with mode 0600; raises EACMAudioStreamError when it cannot.
void OpenPrivateFile(QSaveFile &file);
// Commits the file; raises EACMAudioStreamError when any write or the commit failed.
void CommitPrivateFile(QSaveFile &file);
// Writes the whole of `data` to `path` that way.
void WritePrivateFile(const QString &path, const QByteArray &data);
