// The settings folder: the registry keys' store and the settings files in one place, and files of
// earlier versions carried over without losing what a user had stored.
#include "platform/settings/SettingsFolder.h"
#include "platform/settings/TRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(SettingsFolder, KeysAndFilesShareOneFolderAndFormerFilesAreCarriedOver) {
    QTemporaryDir root;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, root.filePath("config"));
    const QString folder = SettingsFolder::Path();
    {
        TRegistry keys(kOrvaSettingsKey);
        keys.WriteString("Zoom", "150");
        ASSERT_TRUE(keys.Flush());
        EXPECT_EQ(QFileInfo(keys.FileName()).absolutePath(), folder);
        EXPECT_TRUE(QFileInfo::exists(keys.FileName()));
    }

    // Nothing stored yet: the name in the folder, no file made.
    const QString former = root.filePath("old");
    EXPECT_EQ(SettingsFolder::File("effects.ini", {former}), QDir(folder).filePath("effects.ini"));
    EXPECT_FALSE(QFileInfo::exists(QDir(folder).filePath("effects.ini")));

    // Only in a former folder: copied here, owner-only, the former file left as it was.
    writeFile(QDir(former).filePath("effects.ini"), "[Edit]\nLevel=7\n");
    const QString carried = SettingsFolder::File("effects.ini", {root.filePath("none"), former});
    EXPECT_EQ(carried, QDir(folder).filePath("effects.ini"));
    EXPECT_EQ(readFile(carried), "[Edit]\nLevel=7\n");
    EXPECT_EQ(QFileInfo(carried).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    EXPECT_EQ(readFile(QDir(former).filePath("effects.ini")), "[Edit]\nLevel=7\n");

    // Once here, the file here wins over a former one.
    writeFile(QDir(former).filePath("effects.ini"), "[Edit]\nLevel=1\n");
    EXPECT_EQ(readFile(SettingsFolder::File("effects.ini", {former})), "[Edit]\nLevel=7\n");

    // A folder that cannot take the copy: the former file is read where it is.
    writeFile(QDir(former).filePath("anno.ini"), "[Pen]\nWidth=3\n");
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
    const QString fallback = SettingsFolder::File("anno.ini", {former});
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readFile(fallback), "[Pen]\nWidth=3\n");
}

} // namespace
