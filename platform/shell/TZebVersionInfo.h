// The program's version strings, looked up by the standard version-resource names or their index.
// The values are fixed when the program is built.
#pragma once

#include <QString>

class TZebVersionInfo {
public:
    // The standard string names, in index order.
    static constexpr int kNameCount = 12;
    static const char *const kNames[kNameCount];

    // Empty means the running program; any other file has no version information here.
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString FileName() const { return m_fileName; }

    bool HasInformation() const { return m_fileName.isEmpty(); }
    // The string of the given standard name; empty when unknown or without information.
    QString StringValue(const QString &name) const;
    // The string at an index into kNames; out of range gives empty.
    QString StringValue(int index) const;

private:
    QString m_fileName;
};
