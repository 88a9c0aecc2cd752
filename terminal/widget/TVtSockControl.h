// The socket partner a terminal could have: the contract it would offer, the telnet window-size notice
// and the two log formats. Nothing in this system creates a socket control (the host is reached
// through the host link), so a terminal without one drops what its emulator sends; the logs are plain
// formatters with an injected clock. It stays, idle on purpose, so that the terminal's calls have a
// defined partner and the log formats are kept and tested; do not wire a socket through it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <deque>
#include <functional>

class QIODevice;
class QObject;

class TVtSockControl {
public:
    virtual ~TVtSockControl() = default;
    virtual void RegisterWindow(QObject *terminal) = 0;
    virtual void UnregisterWindow(QObject *terminal) = 0;
    // False when the socket is unknown; the terminal then forgets its socket.
    virtual bool AttachTerminal(int socket, QObject *terminal) = 0;
    virtual void DetachTerminal(int socket, QObject *terminal) = 0;
    virtual QObject *MasterTerminal(int socket) const = 0;
    virtual void SetMasterTerminal(int socket, QObject *terminal) = 0;
    virtual void WriteBytes(int socket, const QByteArray &bytes) = 0;
    virtual void WriteText(int socket, const QByteArray &text) = 0;
    // Whether the socket negotiated the telnet window-size option.
    virtual bool WindowSizeNegotiated(int socket) const = 0;
};

// IAC SB NAWS, width and height as 16-bit big-endian numbers with every 255 doubled, IAC SE.
QByteArray EncodeNaws(int columns, int rows);

// "yyyy.mm.dd hh:nn:ss"-style patterns (mm month, nn minutes) as a Qt date-time format.
QString ConvertDateTimeFormat(const QString &pattern);

class TVtEventLog {
public:
    using Clock = std::function<QDateTime()>;
    explicit TVtEventLog(Clock clock = [] { return QDateTime::currentDateTime(); });

    bool Enabled = false;
    QString FileName = QStringLiteral("event.log");
    QString DateTimeFormat = QStringLiteral("yyyy.mm.dd hh:nn:ss");

    // The line one entry adds: the time, a blank, the text, CR LF.
    QByteArray FormatEntry(const QByteArray &text) const;
    // Appends the entry to FileName when enabled; false when the file cannot be written.
    bool Log(const QByteArray &text);
    static QByteArray ConnectText(const QByteArray &local, const QByteArray &remote);
    static QByteArray CloseText(const QByteArray &local, const QByteArray &remote);

private:
    Clock m_clock;
};

class TVtDebugLog {
public:
    using Clock = std::function<qint64()>; // milliseconds
    static constexpr int kHeaderSize = 24;
    // Read, Write, RecvApi and SendApi carry the socket as their first value and the bytes as
    // data; the option kinds carry the option and the command (WILL 251 .. DON'T 254).
    enum Kind {
        lkText = 0,
        lkEnabled = 1,
        lkDisabled = 2,
        lkRead = 3,
        lkWrite = 4,
        lkRecvApi = 5,
        lkSendApi = 6,
        lkOptionSent = 7,
        lkOptionReceived = 8
    };
    // Who formats an entry: nobody (the log itself), the socket control, or another component of
    // the set, which has no formatting of its own.
    enum class Owner { None, SockControl, Component };

    explicit TVtDebugLog(Clock clock);

    int BufferSize = 65536;
    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }
    // Entries use BufferSize bytes at most (header plus data); the oldest make room, and an entry
    // larger than the whole buffer is not kept.
    void Log(Kind kind, const QByteArray &data = {}, int socket = -1);
    void Log(Owner owner, int kind, std::uint32_t value1, std::uint32_t value2, const QByteArray &data = {});
    int EntryCount() const { return int(m_entries.size()); }
    // The name of a telnet option as the trace writes it ("echo", "terminal type", ...).
    static QByteArray OptionName(int option);

    // Milliseconds as seconds with three decimals: 12345 gives "0012.345 : ".
    static QByteArray FormatTime(qint64 ms);
    // Lines of "  offset: " with sixteen bytes in two groups of eight and their characters.
    static QByteArray HexDump(const QByteArray &data);
    QByteArray FormatEntry(Kind kind, const QByteArray &data, int socket) const;
    static QByteArray FormatEntry(Owner owner, int kind, std::uint32_t value1, std::uint32_t value2,
                                  const QByteArray &data);
    static QByteArray Banner(const QByteArray &productAndVersion);
    // Writes the banner (to an empty device) and every entry, oldest first.
    void WriteTo(QIODevice &device, const QByteArray &productAndVersion) const;

private:
    struct Entry {
        qint64 Time;
        Owner EntryOwner;
        int EntryKind;
        std::uint32_t Value1;
        std::uint32_t Value2;
        QByteArray Data;
    };
    Clock m_clock;
    qint64 m_created;
    bool m_enabled = false;
    int m_used = 0;
    std::deque<Entry> m_entries;
};
