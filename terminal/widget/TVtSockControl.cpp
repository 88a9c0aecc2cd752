// Window-size notice and log formats.
#include "terminal/widget/TVtSockControl.h"

#include "platform/files/SharedFile.h"

QByteArray EncodeNaws(int columns, int rows) {
    QByteArray out("\xFF\xFA\x1F", 3);
    for (const int value : {columns, rows}) {
        for (const uint8_t byte : {uint8_t((value >> 8) & 0xFF), uint8_t(value & 0xFF)}) {
            out += char(byte);
            if (byte == 0xFF)
                out += char(0xFF);
        }
    }
    out += QByteArray("\xFF\xF0", 2);
    return out;
}

QString ConvertDateTimeFormat(const QString &pattern) {
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        const QChar c = pattern[i].toLower();
        qsizetype n = 1;
        while (i + n < pattern.size() && pattern[i + n].toLower() == c)
            ++n;
        const QString run(n, c);
        if (c == QLatin1Char('m'))
            out += QString(n, QLatin1Char('M'));
        else if (c == QLatin1Char('n'))
            out += QString(n, QLatin1Char('m'));
        else if (c == QLatin1Char('h'))
            out += QString(n, QLatin1Char('H'));
        else if (c == QLatin1Char('y') || c == QLatin1Char('d') || c == QLatin1Char('s'))
            out += run;
        else
            out += QLatin1Char('\'') + pattern.mid(i, n) + QLatin1Char('\'');
        i += n;
    }
    return out;
}

TVtEventLog::TVtEventLog(Clock clock) : m_clock(std::move(clock)) {}

QByteArray TVtEventLog::FormatEntry(const QByteArray &text) const {
    return m_clock().toString(ConvertDateTimeFormat(DateTimeFormat)).toLatin1() + ' ' + text + "\r\n";
}

bool TVtEventLog::Log(const QByteArray &text) {
    if (!Enabled)
        return true;
    // Others may read the log; an entry is added whole or not at all.
    return SharedFile::append(FileName, FormatEntry(text));
}

QByteArray TVtEventLog::ConnectText(const QByteArray &local, const QByteArray &remote) {
    return "Connect: Loc: " + local + " Rem: " + remote;
}

QByteArray TVtEventLog::CloseText(const QByteArray &local, const QByteArray &remote) {
    return "Close:   Loc: " + local + " Rem: " + remote;
}

TVtDebugLog::TVtDebugLog(Clock clock) : m_clock(std::move(clock)), m_created(m_clock()) {}

void TVtDebugLog::SetEnabled(bool on) {
    if (on == m_enabled)
        return;
    if (on) {
        m_enabled = true;
        Log(lkEnabled);
    } else {
        Log(lkDisabled);
        m_enabled = false;
    }
}

namespace {
TVtDebugLog::Owner ownerOf(TVtDebugLog::Kind kind) {
    switch (kind) {
    case TVtDebugLog::lkRead:
    case TVtDebugLog::lkWrite:
    case TVtDebugLog::lkRecvApi:
    case TVtDebugLog::lkSendApi:
        return TVtDebugLog::Owner::SockControl;
    default:
        return TVtDebugLog::Owner::None;
    }
}
} // namespace

void TVtDebugLog::Log(Kind kind, const QByteArray &data, int socket) {
    Log(ownerOf(kind), kind, static_cast<std::uint32_t>(socket), 0, data);
}

void TVtDebugLog::Log(Owner owner, int kind, std::uint32_t value1, std::uint32_t value2,
                      const QByteArray &data) {
    if (!m_enabled)
        return;
    const int size = kHeaderSize + int(data.size());
    if (size > BufferSize)
        return;
    while (!m_entries.empty() && m_used + size > BufferSize) {
        m_used -= kHeaderSize + int(m_entries.front().Data.size());
        m_entries.pop_front();
    }
    m_entries.push_back({m_clock() - m_created, owner, kind, value1, value2, data});
    m_used += size;
}

QByteArray TVtDebugLog::OptionName(int option) {
    static const struct {
        int Code;
        const char *Name;
    } names[] = {
        {0, "binary transmission"},
        {1, "echo"},
        {3, "suppress go ahead"},
        {5, "status"},
        {6, "timing mark"},
        {24, "terminal type"},
        {31, "negotiate about window size"},
        {32, "terminal speed"},
        {33, "remote flow control"},
        {34, "linemode"},
        {35, "X display location"},
        {36, "environment variables"},
        {39, "new environment"},
    };
    for (const auto &n : names) {
        if (n.Code == option)
            return n.Name;
    }
    return "option " + QByteArray::number(option);
}

QByteArray TVtDebugLog::FormatTime(qint64 ms) {
    QByteArray digits = QByteArray::number(ms).rightJustified(7, '0');
    digits.insert(4, '.');
    return digits + " : ";
}

QByteArray TVtDebugLog::HexDump(const QByteArray &data) {
    QByteArray out;
    for (qsizetype line = 0; line < data.size(); line += 16) {
        out += "  " + QByteArray::number(qulonglong(line), 16).rightJustified(6, '0') + ": ";
        QByteArray chars;
        for (qsizetype i = line; i < line + 16; ++i) {
            if (i == line + 8)
                out += ' ';
            if (i < data.size()) {
                const auto b = uint8_t(data[i]);
                out += QByteArray::number(b, 16).rightJustified(2, '0') + ' ';
                chars += (b >= 0x20 && b < 0x7F) ? char(b) : '.';
            } else {
                out += "   ";
            }
        }
        out += ' ' + chars + "\r\n";
    }
    return out;
}

QByteArray TVtDebugLog::FormatEntry(Kind kind, const QByteArray &data, int socket) const {
    return FormatEntry(ownerOf(kind), kind, static_cast<std::uint32_t>(socket), 0, data);
}

QByteArray TVtDebugLog::FormatEntry(Owner owner, int kind, std::uint32_t value1, std::uint32_t value2,
                                    const QByteArray &data) {
    const QByteArray count = QByteArray::number(data.size()) + (data.size() == 1 ? " byte" : " bytes");
    const QByteArray socket = QByteArray::number(static_cast<int>(value1));
    if (owner == Owner::Component) {
        return "!!!! Unhandled log entry\n\r";
    }
    if (owner == Owner::SockControl) {
        switch (kind) {
        case lkRead:
            return "Read - " + count + " read from socket " + socket + "\r\n" + HexDump(data);
        case lkWrite:
            return "Write - " + count + " written to socket " + socket + "\r\n" + HexDump(data);
        case lkRecvApi:
            return "[" + socket + "] Recv API: " + count + " read\r\n" + HexDump(data);
        case lkSendApi:
            return "[" + socket + "] Send API: " + count + " written\r\n" + HexDump(data);
        default:
            return "!!!! Unhandled log entry\n\r";
        }
    }
    switch (kind) {
    case lkText:
        return data;
    case lkEnabled:
        return "**** Logging Enabled\r\n";
    case lkDisabled:
        return "**** Logging Disabled\r\n";
    case lkOptionSent:
    case lkOptionReceived: {
        static const char *const commands[] = {"WILL", "WON'T", "DO", "DON'T"};
        if (value2 >= 251 && value2 <= 254) {
            return OptionName(static_cast<int>(value1)) + ' ' + commands[value2 - 251] + ' ' +
                   (kind == lkOptionSent ? "sent." : "received.") + "\r\n";
        }
        break;
    }
    default:
        break;
    }
    const auto hex = [](std::uint32_t v) { return QByteArray::number(v, 16).rightJustified(8, '0'); };
    return "!!!! Unknown log entry : [" + QByteArray::number(kind) + "][" + hex(value1) + "][" + hex(value2) +
           "][" + hex(static_cast<std::uint32_t>(data.size())) + "]\r\n";
}

QByteArray TVtDebugLog::Banner(const QByteArray &productAndVersion) {
    return productAndVersion + " compiled with Unknown Compiler\r\n" + "Operating System : Unknown\r\n" +
           "Description : \r\n" + "Negotiated Version : $0000\r\n" + "System Status : \r\n" +
           QByteArray(77, '=') + "\r\n\r\n";
}

void TVtDebugLog::WriteTo(QIODevice &device, const QByteArray &productAndVersion) const {
    if (device.size() == 0)
        device.write(Banner(productAndVersion));
    for (const Entry &e : m_entries)
        device.write(FormatTime(e.Time) + FormatEntry(e.EntryOwner, e.EntryKind, e.Value1, e.Value2, e.Data));
}
