// Files that other users of the laboratory read and write too: templates, abbreviation lists, the
// images and annotations on the image share, scans, settings and setup files. They are written
// with the same checks as work files, but not made private: a file replaced keeps its mode, group
// and access list, and a new file or folder gets what the folder's umask and default access list
// give, as any program's new file there would. The file's folder must be there: one is made only
// when asked for (makeFolder).
#pragma once

#include "platform/files/PrivateFile.h"

class SharedFile : public PrivateFile {
public:
    explicit SharedFile(QString path, Placing placing = Placing::OnCommit)
        : PrivateFile(std::move(path), placing, Access::Shared) {}

    static bool makeFolder(const QString &folder, QString *error = nullptr) {
        return PrivateFile::makeFolder(folder, error, Access::Shared);
    }
    static bool save(const QString &path, const QByteArray &data, QString *error = nullptr) {
        return PrivateFile::save(path, data, error, Access::Shared);
    }
    static bool append(const QString &path, const QByteArray &data, QString *error = nullptr) {
        return PrivateFile::append(path, data, error, Access::Shared);
    }
    static Reserved reserve(const QString &path, QString *error = nullptr) {
        return PrivateFile::reserve(path, error, Access::Shared);
    }
};
