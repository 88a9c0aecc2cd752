// A small ini file reader and writer.
#include "effects/dialog/TIniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace orva::effects {

namespace {
bool same(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

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
            const QString name = QString::fromUtf8(line.mid(1, close - 1)).trimmed();
            current = ini.find(name);
            if (!current) {
                ini.m_sections.append({name, {}});
                current = &ini.m_sections.last();
            }
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (!current || eq <= 0)
            continue;
        const QString key = QString::fromUtf8(line.left(eq)).trimmed();
        if (key.isEmpty())
            continue;
        const QString value = QString::fromUtf8(line.mid(eq + 1)).trimmed();
        bool replaced = false;
        for (auto &kv : current->keys)
            if (same(kv.first, key)) {
                kv.second = value;
                replaced = true;
                break;
            }
        if (!replaced)
            current->keys.append({key, value});
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

bool TIniFile::save(const QString &path) const {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return false;
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray data = bytes();
    if (f.write(data) != data.size())
        return false;
    return f.commit();
}

TIniFile::Section *TIniFile::find(const QString &section) {
    for (Section &s : m_sections)
        if (same(s.name, section))
            return &s;
    return nullptr;
}

const TIniFile::Section *TIniFile::find(const QString &section) const {
    for (const Section &s : m_sections)
        if (same(s.name, section))
            return &s;
    return nullptr;
}

bool TIniFile::hasSection(const QString &section) const {
    return find(section) != nullptr;
}

std::optional<QString> TIniFile::value(const QString &section, const QString &key) const {
    const Section *s = find(section);
    if (!s)
        return std::nullopt;
    for (const auto &kv : s->keys)
        if (same(kv.first, key))
            return kv.second;
    return std::nullopt;
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
    Section *s = find(section);
    if (!s) {
        m_sections.append({section, {}});
        s = &m_sections.last();
    }
    for (auto &kv : s->keys)
        if (same(kv.first, key)) {
            kv.second = clean;
            return;
        }
    s->keys.append({key, clean});
}

} // namespace orva::effects
