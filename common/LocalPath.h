// Paths from the setup file and the host are Windows paths (\\server\share\..., C:\...).
// They are kept as written and translated only when a file or folder is opened or listed.
#pragma once

#include <QList>
#include <QPair>
#include <QString>

namespace LocalPath {

// Prefix table from the setup file's "pathmap = \\server\share => /mnt/share" lines.
void SetPathMap(const QList<QPair<QString, QString>> &map);
QList<QPair<QString, QString>> PathMap();

// A complete joined path made local: a mapped UNC or drive prefix is replaced (compared without
// case), then every "\" becomes "/". Linux paths pass unchanged.
QString toLocalPath(const QString &path);
// The same for a path under a mapped prefix only; empty when no prefix matches.
QString mappedPath(const QString &path);
// toLocalPath through a given table. `unmapped` is set when the path is a Windows one (a UNC path or
// one with a drive letter) that no line of the table maps: made local, it would name a place
// relative to the current folder, or under "/", that nobody meant.
QString translate(const QString &path, const QList<QPair<QString, QString>> &map, bool *unmapped = nullptr);

} // namespace LocalPath
