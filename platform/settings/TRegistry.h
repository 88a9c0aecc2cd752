// Per-user settings under the key paths the program has always used
// ("\Software\Tessel\OrvaVT4\settings", "Software\Tessel\OrvaVT\Config"), kept in QSettings:
// vendor and product name the file (~/.config/Tessel/OrvaVT4.conf), the rest of the path is a group.
// Values are stored as text, as they always were: numbers in decimal, booleans as 1 or 0.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

// The program's own keys: its settings (window places, fonts, zoom, the editor's and the dictation
// window's choices, with sub-keys such as "TextAttForm\HostNameCombo") and the image window's.
inline const QString kOrvaSettingsKey = QStringLiteral("\\Software\\Tessel\\OrvaVT4\\settings");
inline const QString kOrvaConfigKey = QStringLiteral("Software\\Tessel\\OrvaVT\\Config");

class TRegistry {
public:
    explicit TRegistry(const QString &keyPath);
    ~TRegistry();

    bool KeyExists() const;
    // The names of the key's own values (not of its sub-keys).
    QStringList ValueNames() const;
    // Deletes the key with its values and sub-keys.
    void DeleteKey();
    bool ValueExists(const QString &name) const;
    QString ReadString(const QString &name, const QString &fallback = QString()) const;
    // A missing or unreadable value gives the fallback.
    int ReadInteger(const QString &name, int fallback) const;
    bool ReadBool(const QString &name, bool fallback) const;

    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, int value);
    void WriteBool(const QString &name, bool value);
    // Writes to disk; false when the store could not be written.
    bool Flush();
    // The file the key's values are kept in.
    QString FileName() const { return m_settings->fileName(); }

private:
    std::unique_ptr<QSettings> m_settings;
    QString m_group;
};
