// Files the editor tests write: folders made on the way, and documents built in code and stored as
// the editor's own files.
#pragma once

#include "editor/wpform/TWPForm.h"
#include "platform/richtext/TWpRtf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

inline void writeFile(const QString &path, const QByteArray &data) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

inline QByteArray rtfOf(const std::function<void(orva::richtext::TWpDocument &)> &build) {
    orva::richtext::TWpDocument doc;
    build(doc);
    return orva::richtext::writeRtf(doc);
}

inline QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The editor's folders under `dir` (templates, abbrev, work, program), and the per-user settings kept
// there too.
inline EditorFolders testFolders(const QTemporaryDir &dir) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));
    EditorFolders f;
    f.TemplateDirectory = dir.filePath("templates");
    f.AbbreviationDirectory = dir.filePath("abbrev");
    f.ResultDirectory = dir.filePath("work");
    f.ProgramDirectory = dir.filePath("program");
    f.CustomDictionary = dir.filePath("config/Custom.dic");
    return f;
}
