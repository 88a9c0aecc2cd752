// A small ini file: sections of "key=value" lines, looked up without regard to case, written back
// in the order they came. Values are taken as they are (no quoting or escapes), so a value such as
// "ColorA=141414" survives a round trip.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace orva::effects {

class TIniFile {
public:
    // Larger files are not read: settings never come near this.
    static constexpr qint64 kMaxBytes = 1 << 20;

    static TIniFile parse(const QByteArray &bytes);
    // The file's contents; false (and empty) when it is missing, unreadable or too large.
    bool load(const QString &path);
    // Writes the whole file (its folder made private when it has to be created); false when any
    // byte could not be written.
    bool save(const QString &path) const;
    QByteArray bytes() const;

    bool hasSection(const QString &section) const;
    std::optional<QString> value(const QString &section, const QString &key) const;
    // The profile reads: the default when the key is missing (or, for numbers, not a number).
    QString readString(const QString &section, const QString &key, const QString &fallback) const;
    int readInteger(const QString &section, const QString &key, int fallback) const;
    void write(const QString &section, const QString &key, const QString &value);

private:
    // Keys and sections are found through an index of their lower-case names, so that reading a file
    // takes time in proportion to its length.
    struct Section {
        QString name;
        QList<QPair<QString, QString>> keys;
        QHash<QString, qsizetype> index;
        void set(const QString &key, const QString &value);
    };
    Section *find(const QString &section);
    const Section *find(const QString &section) const;
    Section &findOrAdd(const QString &section);

    QList<Section> m_sections;
    QHash<QString, qsizetype> m_index;
};

} // namespace orva::effects
