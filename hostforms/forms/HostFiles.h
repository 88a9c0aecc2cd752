// Files the host names in values (memo, rich edit, image): translated to local paths and read only
// when they are regular files under a size cap, so that a FIFO, a device or a huge file cannot hang
// the program or exhaust its memory.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace HostFiles {

constexpr qint64 kDefaultMaxSize = 16 * 1024 * 1024;

struct Policy {
    qint64 MaxSize = kDefaultMaxSize;
    // When not empty, only files under one of these folders are read (the fuzz build uses this).
    QStringList Roots;
};
void setPolicy(const Policy &policy);
const Policy &policy();

enum class Status { Ok, Missing, Refused };
struct Result {
    Status status = Status::Missing;
    QByteArray data;
    QString path;      // the local path that was tried
    QByteArray reason; // why a file was refused
};
// The host's value (a Windows or local path) read as a file.
Result read(const QByteArray &hostPath);
// The same checks without reading (for image readers that open the file themselves).
Result check(const QByteArray &hostPath);

} // namespace HostFiles
