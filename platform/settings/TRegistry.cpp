// Registry key paths mapped onto QSettings files and groups.
#include "platform/settings/TRegistry.h"

#include <QStringList>

TRegistry::TRegistry(const QString &keyPath) {
    QStringList parts = keyPath.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && parts.first().compare(QLatin1String("Software"), Qt::CaseInsensitive) == 0) {
        parts.removeFirst();
    }
    const QString vendor = parts.value(0, QStringLiteral("Tessel"));
    const QString product = parts.value(1, QStringLiteral("Orva"));
    m_group = parts.mid(2).join(QLatin1Char('/'));
    m_settings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, vendor, product);
}

TRegistry::~TRegistry() = default;

bool TRegistry::KeyExists() const {
    if (m_group.isEmpty()) {
        return !m_settings->allKeys().isEmpty();
    }
    // The whole nested path, not only its first group.
    m_settings->beginGroup(m_group);
    const bool exists = !m_settings->allKeys().isEmpty();
    m_settings->endGroup();
    return exists;
}

QStringList TRegistry::ValueNames() const {
    m_settings->beginGroup(m_group);
    QStringList names = m_settings->childKeys();
    m_settings->endGroup();
    return names;
}

void TRegistry::DeleteKey() {
    if (m_group.isEmpty()) {
        m_settings->clear();
        return;
    }
    m_settings->remove(m_group);
}

bool TRegistry::ValueExists(const QString &name) const {
    return m_settings->contains(m_group + '/' + name);
}

QString TRegistry::ReadString(const QString &name, const QString &fallback) const {
    const QVariant v = m_settings->value(m_group + '/' + name);
    return v.isValid() ? v.toString() : fallback;
}

int TRegistry::ReadInteger(const QString &name, int fallback) const {
    bool ok = false;
    const int v = ReadString(name).trimmed().toInt(&ok);
    return ok ? v : fallback;
}

bool TRegistry::ReadBool(const QString &name, bool fallback) const {
    const QString v = ReadString(name).trimmed().toLower();
    if (v == QLatin1String("1") || v == QLatin1String("true")) {
        return true;
    }
    if (v == QLatin1String("0") || v == QLatin1String("false")) {
        return false;
    }
    return fallback;
}

void TRegistry::WriteString(const QString &name, const QString &value) {
    m_settings->setValue(m_group + '/' + name, value);
}

void TRegistry::WriteInteger(const QString &name, int value) {
    WriteString(name, QString::number(value));
}

void TRegistry::WriteBool(const QString &name, bool value) {
    WriteString(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TRegistry::Flush() {
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}
