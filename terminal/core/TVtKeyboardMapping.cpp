// Key map storage and loading.
#include "terminal/core/TVtKeyboardMapping.h"

#include "terminal/core/TVtResourceTable.h"

bool TVtKeyboardMapping::Add(const QByteArray &name, const QByteArray &value) {
    const QByteArray key = name.left(kMaxName);
    return m_entries.try_emplace(key.toStdString(), value.left(kMaxName)).second;
}

QByteArray TVtKeyboardMapping::Get(const QByteArray &name) const {
    const auto it = m_entries.find(name.left(kMaxName).toStdString());
    return it == m_entries.end() ? QByteArray() : it->second;
}

void TVtKeyboardMapping::LoadFromRes(const QString &resourceName) {
    LoadFromBytes(LoadTerminalResource(resourceName));
}

bool TVtKeyboardMapping::LoadFromBytes(const QByteArray &data) {
    Clear();
    const bool ok = ReadResourceTable(data, [this](TVtResourceReader &reader) {
        QByteArray name, value;
        if (!reader.ReadString(name) || !reader.ReadString(value))
            return false;
        Add(name, value);
        return true;
    });
    if (!ok)
        Clear();
    return ok;
}
