// The telnet protocol half of the host link, without a socket: bytes from the host become data
// bytes plus negotiation replies, and data bytes for the host become escaped wire bytes.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct telnet_t;
union telnet_event_t;

class TTelnetCodec {
public:
    struct Error {
        int number;
        QString description;
    };

    TTelnetCodec();
    ~TTelnetCodec();
    TTelnetCodec(const TTelnetCodec &) = delete;
    TTelnetCodec &operator=(const TTelnetCodec &) = delete;

    // Forgets all negotiation and buffered bytes: a new connection starts from here.
    void reset();

    void setTermType(const QByteArray &type);
    QByteArray termType() const { return m_termType; }
    // Queues the new size for the peer at once when it has asked for window sizes.
    void setWindowSize(int columns, int rows);
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    bool windowSizeAgreed() const { return m_nawsOn; }

    // Bytes received from the host: data goes to takeData(), replies to takeWire().
    void decode(const char *bytes, qsizetype size);
    void decode(const QByteArray &bytes) { decode(bytes.constData(), bytes.size()); }
    // Data bytes for the host, every 0xFF doubled, appended to takeWire().
    void encode(const char *bytes, qsizetype size);
    void encode(const QByteArray &bytes) { encode(bytes.constData(), bytes.size()); }

    QByteArray takeData();
    QByteArray takeWire();
    std::vector<Error> takeErrors();

private:
    static void onEvent(telnet_t *telnet, telnet_event_t *event, void *self);
    void handle(telnet_event_t *event);
    void start();
    void feed(const char *bytes, qsizetype size);
    void sendWindowSize();
    void sendTermType();

    telnet_t *m_telnet = nullptr;
    QByteArray m_termType = "vt400";
    int m_columns = 80;
    int m_rows = 24;
    bool m_nawsOn = false;
    bool m_ttypeOn = false;
    bool m_restart = false;
    bool m_afterIac = false;
    QByteArray m_data;
    QByteArray m_wire;
    std::vector<Error> m_errors;
};
