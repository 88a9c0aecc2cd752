// Reader for the terminal's table resources ("AHT3", signed record count, records, "AHT3").
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>

class TVtResourceReader {
public:
    explicit TVtResourceReader(const QByteArray &data) : m_data(data) {}
    // A length-prefixed string; false on a short read.
    bool ReadString(QByteArray &text);
    bool ReadByte(uint8_t &value);

private:
    const QByteArray &m_data;
    qsizetype m_pos = 8;
    friend bool ReadResourceTable(const QByteArray &, const std::function<bool(TVtResourceReader &)> &);
};

// Calls readRecord for each record. Returns false, after which the caller clears its table, when the
// magic is wrong at either end, the count is negative or a record is cut short.
bool ReadResourceTable(const QByteArray &data, const std::function<bool(TVtResourceReader &)> &readRecord);

// The bytes of a table resource of the program; resource names match without regard to case.
// Empty when there is no such resource.
QByteArray LoadTerminalResource(const QString &name);
