// Bounds-checked reading of the table resources: a count or length that runs past the data ends
// the load instead of reading beyond it.
#include "terminal/core/TVtResourceTable.h"

#include <QFile>
#include <QtEndian>

static void initTerminalResources() {
    // The resources live in a static library, whose registration object the linker may drop.
    Q_INIT_RESOURCE(terminal_core);
}

namespace {
const char kMagic[] = "AHT3";
}

bool TVtResourceReader::ReadString(QByteArray &text) {
    if (m_pos >= m_data.size())
        return false;
    const int length = uint8_t(m_data[m_pos]);
    if (m_data.size() - m_pos - 1 < length)
        return false;
    text = m_data.mid(m_pos + 1, length);
    m_pos += 1 + length;
    return true;
}

bool TVtResourceReader::ReadByte(uint8_t &value) {
    if (m_pos >= m_data.size())
        return false;
    value = uint8_t(m_data[m_pos++]);
    return true;
}

bool ReadResourceTable(const QByteArray &data, const std::function<bool(TVtResourceReader &)> &readRecord) {
    if (data.size() < 12 || !data.startsWith(kMagic))
        return false;
    const qint32 count = qFromLittleEndian<qint32>(data.constData() + 4);
    if (count < 0)
        return false;
    // The trailing magic is not part of any record.
    const QByteArray body = data.left(data.size() - 4);
    TVtResourceReader reader(body);
    for (qint32 i = 0; i < count; ++i)
        if (!readRecord(reader))
            return false;
    return reader.m_pos == body.size() && data.endsWith(kMagic);
}

QByteArray LoadTerminalResource(const QString &name) {
    initTerminalResources();
    QFile file(QStringLiteral(":/terminal/") + name.toUpper());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}
