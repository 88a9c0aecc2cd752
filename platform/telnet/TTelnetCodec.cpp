// Option negotiation and IAC escaping on top of libtelnet.
#include "platform/telnet/TTelnetCodec.h"

#include <algorithm>
#include <cstddef>
#include <cstring> // libtelnet.h uses size_t without including its header
#include <libtelnet.h>
#include <utility>

namespace {

// What the link agrees to: the server may echo and suppress go-ahead, both sides send 8-bit
// data, and we report our terminal type and window size. Every other option is refused.
const telnet_telopt_t kOptions[] = {
    {TELNET_TELOPT_BINARY, TELNET_WILL, TELNET_DO}, {TELNET_TELOPT_ECHO, TELNET_WONT, TELNET_DO},
    {TELNET_TELOPT_SGA, TELNET_WILL, TELNET_DO},    {TELNET_TELOPT_TTYPE, TELNET_WILL, TELNET_DONT},
    {TELNET_TELOPT_NAWS, TELNET_WILL, TELNET_DONT}, {-1, 0, 0},
};

} // namespace

TTelnetCodec::TTelnetCodec() {
    start();
}

TTelnetCodec::~TTelnetCodec() {
    telnet_free(m_telnet);
}

void TTelnetCodec::start() {
    if (m_telnet)
        telnet_free(m_telnet);
    m_telnet = telnet_init(kOptions, &TTelnetCodec::onEvent, 0, this);
    m_restart = false;
}

void TTelnetCodec::reset() {
    start();
    m_afterIac = false;
    m_nawsOn = false;
    m_ttypeOn = false;
    m_data.clear();
    m_wire.clear();
    m_errors.clear();
}

void TTelnetCodec::setTermType(const QByteArray &type) {
    m_termType = type;
}

void TTelnetCodec::setWindowSize(int columns, int rows) {
    columns = std::clamp(columns, 0, 0xFFFF);
    rows = std::clamp(rows, 0, 0xFFFF);
    if (columns == m_columns && rows == m_rows)
        return;
    m_columns = columns;
    m_rows = rows;
    if (m_nawsOn)
        sendWindowSize();
}

void TTelnetCodec::decode(const char *bytes, qsizetype size) {
    // libtelnet switches to zlib decompression when the peer sends the compression marker, even
    // though we refused that option, and the text after it is lost. A subnegotiation (and with it
    // the marker) only ends at a byte that follows an IAC, so the input goes in in pieces that end
    // at each such byte, and the decompression state is dropped before the next piece.
    qsizetype begin = 0;
    for (qsizetype at = 0; at < size; ++at) {
        const bool endsSubnegotiation = m_afterIac;
        m_afterIac = static_cast<unsigned char>(bytes[at]) == TELNET_IAC;
        if (!endsSubnegotiation)
            continue;
        feed(bytes + begin, at + 1 - begin);
        begin = at + 1;
    }
    if (begin < size)
        feed(bytes + begin, size - begin);
}

void TTelnetCodec::feed(const char *bytes, qsizetype size) {
    telnet_recv(m_telnet, bytes, static_cast<size_t>(size));
    if (!m_restart)
        return;
    start();
    // A subnegotiation cut short by another command: that command still counts.
    const char last = bytes[size - 1];
    if (static_cast<unsigned char>(last) != TELNET_SE) {
        const char command[2] = {static_cast<char>(TELNET_IAC), last};
        telnet_recv(m_telnet, command, sizeof command);
    }
}

void TTelnetCodec::encode(const char *bytes, qsizetype size) {
    if (size > 0)
        telnet_send(m_telnet, bytes, static_cast<size_t>(size));
}

QByteArray TTelnetCodec::takeData() {
    return std::exchange(m_data, {});
}

QByteArray TTelnetCodec::takeWire() {
    return std::exchange(m_wire, {});
}

std::vector<TTelnetCodec::Error> TTelnetCodec::takeErrors() {
    return std::exchange(m_errors, {});
}

void TTelnetCodec::onEvent(telnet_t *, telnet_event_t *event, void *self) {
    static_cast<TTelnetCodec *>(self)->handle(event);
}

void TTelnetCodec::handle(telnet_event_t *event) {
    switch (event->type) {
    case TELNET_EV_DATA:
        m_data.append(event->data.buffer, static_cast<qsizetype>(event->data.size));
        break;
    case TELNET_EV_SEND:
        m_wire.append(event->data.buffer, static_cast<qsizetype>(event->data.size));
        break;
    case TELNET_EV_DO:
        if (event->neg.telopt == TELNET_TELOPT_NAWS) {
            m_nawsOn = true;
            sendWindowSize();
        } else if (event->neg.telopt == TELNET_TELOPT_TTYPE) {
            m_ttypeOn = true;
        }
        break;
    case TELNET_EV_DONT:
        if (event->neg.telopt == TELNET_TELOPT_NAWS)
            m_nawsOn = false;
        else if (event->neg.telopt == TELNET_TELOPT_TTYPE)
            m_ttypeOn = false;
        break;
    case TELNET_EV_TTYPE:
        if (event->ttype.cmd == TELNET_TTYPE_SEND && m_ttypeOn)
            sendTermType();
        break;
    case TELNET_EV_COMPRESS:
        if (event->compress.state)
            m_restart = true;
        break;
    case TELNET_EV_ERROR:
        m_errors.push_back(
            {1000 + static_cast<int>(event->error.errcode),
             QStringLiteral("Telnet protocol error: ") + QString::fromLatin1(event->error.msg)});
        break;
    default:
        break;
    }
}

void TTelnetCodec::sendWindowSize() {
    const char size[4] = {static_cast<char>(m_columns >> 8), static_cast<char>(m_columns & 0xFF),
                          static_cast<char>(m_rows >> 8), static_cast<char>(m_rows & 0xFF)};
    telnet_begin_sb(m_telnet, TELNET_TELOPT_NAWS);
    telnet_send(m_telnet, size, sizeof size);
    telnet_finish_sb(m_telnet);
}

void TTelnetCodec::sendTermType() {
    const char is = TELNET_TTYPE_IS;
    telnet_begin_sb(m_telnet, TELNET_TELOPT_TTYPE);
    telnet_send(m_telnet, &is, 1);
    telnet_send(m_telnet, m_termType.constData(), static_cast<size_t>(m_termType.size()));
    telnet_finish_sb(m_telnet);
}
