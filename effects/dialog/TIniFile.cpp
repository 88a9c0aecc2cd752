// A small ini file reader and writer.
#include "effects/dialog/TIniFile.h"

#include "platform/files/PrivateFile.h"

#include <QFile>

namespace orva::effects {

void TIniFile::Section::set(const QString &key, const QString &value) {
    const QString folded = key.toLower();
    const auto it = index.constFind(folded);
    if (it != index.constEnd()) {
        keys[*it].second = value;
        return;
    }
    index.insert(folded, keys.size());
    keys.append({key, value});
}

TIniFile TIniFile::parse(const QByteArray &bytes) {
    TIniFile ini;
    Section *current = nullptr;
    for (QByteArray line : bytes.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[')) {
            const qsizetype close = line.indexOf(']');
            if (close < 0)
                continue;
            current = &ini.findOrAdd(QString::fromUtf8(line.mid(1, close - 1)).trimmed());
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!current || eq <= 0)
            continue;
        const QString key = QString::fromUtf8(line.left(eq)).trimmed();
        if (!key.isEmpty())
            current->set(key, QString::fromUtf8(line.mid(eq + 1)).trimmed());
    }
    return ini;
}

bool TIniFile::load(const QString &path) {
    *this = TIniFile();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxBytes)
        return false;
    const QByteArray bytes = f.read(kMaxBytes);
    if (f.error() != QFileDevice::NoError)
        return false;
    *this = parse(bytes);
    return true;
}

QByteArray TIniFile::bytes() const {
    QByteArray out;
    for (const Section &s : m_sections) {
        out += '[' + s.name.toUtf8() + "]\n";
        for (const auto &kv : s.keys)
            out += kv.first.toUtf8() + '=' + kv.second.toUtf8() + '\n';
        out += '\n';
    }
    return out;
}

// The user's own settings, in a folder made for the user alone.
bool TIniFile::save(const QString &path) const {
    return PrivateFile::save(path, bytes());
}

TIniFile::Section *TIniFile::find(const QString &section) {
    const auto it = m_index.constFind(section.toLower());
    return it == m_index.constEnd() ? nullptr : &m_sections[*it];
}

const TIniFile::Section *TIniFile::find(const QString &section) const {
    const auto it = m_index.constFind(section.toLower());
    return it == m_index.constEnd() ? nullptr : &m_sections[*it];
}

TIniFile::Section &TIniFile::findOrAdd(const QString &section) {
    if (Section *s = find(section))
        return *s;
    m_index.insert(section.toLower(), m_sections.size());
    m_sections.append({section, {}, {}});
    return m_sections.last();
}

bool TIniFile::hasSection(const QString &section) const {
    return find(section) != nullptr;
}

std::optional<QString> TIniFile::value(const QString &section, const QString &key) const {
    const Section *s = find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->index.constFind(key.toLower());
    if (it == s->index.constEnd())
        return std::nullopt;
    return s->keys[*it].second;
}

QString TIniFile::readString(const QString &section, const QString &key, const QString &fallback) const {
    return value(section, key).value_or(fallback);
}

int TIniFile::readInteger(const QString &section, const QString &key, int fallback) const {
    const std::optional<QString> v = value(section, key);
    if (!v)
        return fallback;
    bool ok = false;
    const int n = v->toInt(&ok);
    return ok ? n : fallback;
}

void TIniFile::write(const QString &section, const QString &key, const QString &value) {
    // A line break inside a value would start a new key when read back.
    QString clean = value;
    clean.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    findOrAdd(section).set(key, clean);
}

} // namespace orva::effects
