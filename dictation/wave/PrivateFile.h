// Audio work files hold patient dictation: they go through the program's private-file writer
// (owner only from the first byte, a failed write leaves the old file), and a failure is raised
// as the audio layer's EACMAudioStreamError.
#pragma once

#include "platform/files/PrivateFile.h"

#include <QByteArray>
#include <QString>

// Opens `file` for writing; raises EACMAudioStreamError when it cannot.
void OpenPrivateFile(PrivateFile &file);
// Commits the file; raises EACMAudioStreamError when any write or the commit failed.
void CommitPrivateFile(PrivateFile &file);
// Writes the whole of `data` to `path` that way.
void WritePrivateFile(const QString &path, const QByteArray &data);
