// The settings folder and settings files carried over from the folders of earlier versions.
#include "platform/settings/SettingsFolder.h"

#include "platform/files/PrivateFile.h"
#include "platform/settings/TRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace SettingsFolder {

QString Path() {
    return QFileInfo(TRegistry(kOrvaSettingsKey).FileName()).absolutePath();
}

QString File(const QString &name, const QStringList &formerFolders) {
    const QString path = QDir(Path()).filePath(name);
    if (QFileInfo::exists(path)) {
        return path;
    }
    for (const QString &folder : formerFolders) {
        const QString former = QDir(folder).filePath(name);
        if (folder.isEmpty() || QDir::cleanPath(former) == QDir::cleanPath(path) ||
            !QFileInfo(former).isFile()) {
            continue;
        }
        QFile in(former);
        if (!in.open(QIODevice::ReadOnly)) {
            return former;
        }
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError || !PrivateFile::save(path, bytes)) {
            return former;
        }
        return path;
    }
    return path;
}

} // namespace SettingsFolder
