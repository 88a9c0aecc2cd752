// The key map: key code to key name, modified key name to DEC key, DEC key and mode to the text sent.
#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <unordered_map>

class TVtKeyboardMapping {
public:
    static constexpr int kMaxName = 63;

    // False, and nothing added, when the name is present: the first entry wins.
    bool Add(const QByteArray &name, const QByteArray &value);
    // The value, or an empty text when absent. Names compare exactly (case matters).
    QByteArray Get(const QByteArray &name) const;
    void Clear() { m_entries.clear(); }
    int Count() const { return int(m_entries.size()); }
    // Loads a table resource such as "VTKeyMap100"; a missing or damaged one leaves the map empty.
    void LoadFromRes(const QString &resourceName);
    bool LoadFromBytes(const QByteArray &data);

private:
    std::unordered_map<std::string, QByteArray> m_entries;
};
