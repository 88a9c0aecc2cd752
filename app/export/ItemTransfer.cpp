// The export and import dialogue at the host's command prompt.
#include "app/export/ItemTransfer.h"

#include "common/FileWait.h"
#include "common/HostText.h"
#include "common/LocalPath.h"
#include "common/SetupFile.h"

#include <QFile>
#include <QPointer>

namespace {

constexpr int kSilenceLimitMs = 30000;
// Enough for any answer the dialogue waits for; a host that talks on without one is cut short.
constexpr qsizetype kBufferLimit = 64 * 1024;
constexpr qsizetype kWhoEchoLimit = 21;
constexpr qsizetype kCopyAnswerLimit = 51;

const QString kExportCaption = QStringLiteral("Export Data");
const QString kExportDoneCaption = QStringLiteral("Export Data.");
const QString kImportCaption = QStringLiteral("Import File");

bool isControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

// A host file or item name that goes into a command line as one argument.
bool isPlainName(const QByteArray &name) {
    for (char c : name) {
        if (c == ' ' || isControl(c)) {
            return false;
        }
    }
    return true;
}

// The account name the host's "who" gives: letters and digits, and the "." "_" "-" of account names.
bool isAccountName(const QByteArray &name) {
    if (name.isEmpty()) {
        return false;
    }
    for (char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

// The 1-based number of the first line holding a control byte other than TAB; 0 when none does.
int lineWithControl(const QList<QByteArray> &lines) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        for (char c : lines[i]) {
            if (isControl(c) && c != '\t') {
                return int(i + 1);
            }
        }
    }
    return 0;
}

QByteArray withoutBlanks(QByteArray text) {
    text.replace(' ', QByteArray());
    return text;
}

} // namespace

ItemTransfer::Codes ItemTransfer::Codes::fromSetup(const TOrvaSettings &settings) {
    Codes c;
    c.ListNoFile = settings.D3ListNoFile;
    c.ListNoItem = settings.D3ListNoItem;
    c.ListBoth = settings.D3ListBoth;
    c.CopyOk = settings.D3CopyOk;
    c.Filed = settings.D3Filed;
    return c;
}

ItemTransfer::ItemTransfer(HostLink &link, UserMessages &messages, Defer defer, QObject *parent)
    : QObject(parent), m_link(link), m_messages(messages), m_defer(std::move(defer)) {
    if (!m_defer) {
        m_defer = [this](std::function<void()> f) { QTimer::singleShot(0, this, std::move(f)); };
    }
    m_silence.setSingleShot(true);
    m_silence.setInterval(kSilenceLimitMs);
    connect(&m_silence, &QTimer::timeout, this, &ItemTransfer::HostSilent);
    connect(&m_link, &HostLink::OnState, this, &ItemTransfer::linkState);
}

QList<QByteArray> ItemTransfer::SplitLines(const QByteArray &bytes) {
    return SetupFile::SplitLines(bytes);
}

QByteArray ItemTransfer::EditorLine(const QByteArray &line) {
    if (line.isEmpty()) {
        return QByteArray(1, '\x1E');
    }
    QByteArray out = line;
    for (char &c : out) {
        if (c == HostText::kValueMark) {
            c = '\x1D';
        } else if (c == HostText::kSubValueMark) {
            c = '\x1C';
        }
    }
    return out + '\r';
}

std::optional<QByteArray> ItemTransfer::ReplyCode(const QByteArray &buffer, const QByteArray &open) {
    const qsizetype start = buffer.indexOf(open);
    if (start < 0) {
        return std::nullopt;
    }
    const qsizetype end = buffer.indexOf(']', start + open.size());
    if (end < 0) {
        return std::nullopt;
    }
    return buffer.mid(start + open.size(), end - start - open.size());
}

bool ItemTransfer::IsFiled(const QByteArray &buffer, const QByteArray &filedPattern, const QByteArray &item) {
    QByteArray expected = filedPattern;
    for (const char *placeholder : {"##d3item##", "##d3 item##"}) {
        const qsizetype at = expected.indexOf(placeholder);
        if (at >= 0) {
            expected.replace(at, qsizetype(qstrlen(placeholder)), item);
            break;
        }
    }
    // The default pattern has a blank the host's message may not have (and the other way round).
    return withoutBlanks(buffer).contains(withoutBlanks(expected));
}

QString ItemTransfer::caption() const {
    return m_request.Import ? kImportCaption : kExportCaption;
}

bool ItemTransfer::Start(const Request &request) {
    if (m_active) {
        return false;
    }
    m_request = request;
    m_request.WinFile = request.WinFile.trimmed();
    m_request.D3File = request.D3File.trimmed();
    m_request.D3Item = request.D3Item.trimmed();
    m_file = HostText::fromUnicode(m_request.D3File);
    m_item = HostText::fromUnicode(m_request.D3Item);
    const QByteArray winFile = HostText::fromUnicode(m_request.WinFile);
    if (m_file.isEmpty() || m_item.isEmpty() || winFile.isEmpty()) {
        return false;
    }
    if (!isPlainName(m_file) || !isPlainName(m_item)) {
        tell(UserMessages::Kind::Error, caption(),
             QStringLiteral("The d3 file and item names must not contain blanks or control characters."));
        return false;
    }
    m_lines.clear();
    if (m_request.Import) {
        for (char c : winFile) {
            if (isControl(c)) {
                tell(UserMessages::Kind::Error, caption(),
                     QStringLiteral("The file name must not contain control characters."));
                return false;
            }
        }
    } else {
        // Read before anything is typed at the host: a file that cannot be sent leaves the item alone.
        // The file may sit on a share (or be a pipe): it is read in a worker while the window goes on.
        struct Read {
            bool opened = false;
            bool failed = false;
            QString error;
            QByteArray bytes;
        };
        const QString local = LocalPath::toLocalPath(m_request.WinFile);
        const std::optional<Read> read = FileWait::Watched(
            local,
            [local] {
                Read r;
                QFile file(local);
                r.opened = file.open(QIODevice::ReadOnly);
                if (r.opened)
                    r.bytes = file.readAll();
                r.failed = !r.opened || file.error() != QFileDevice::NoError;
                r.error = file.errorString();
                return r;
            },
            FileWaitMs);
        if (!read) {
            return false;
        }
        if (read->failed) {
            tell(UserMessages::Kind::Error, kExportCaption,
                 QStringLiteral("Windows File ") + m_request.WinFile + QLatin1Char(' ') + read->error);
            return false;
        }
        const QByteArray &bytes = read->bytes;
        m_lines = SplitLines(bytes);
        if (m_lines.isEmpty()) {
            tell(UserMessages::Kind::Error, kExportCaption,
                 QStringLiteral("Windows File ") + m_request.WinFile +
                     QStringLiteral(" does not contain any data."));
            return false;
        }
        if (const int line = lineWithControl(m_lines)) {
            tell(UserMessages::Kind::Error, kExportCaption,
                 QStringLiteral("Windows File %1 holds control characters in line %2; it cannot be typed "
                                "into a d3 item.")
                     .arg(m_request.WinFile)
                     .arg(line));
            return false;
        }
    }
    m_state = WaitingForWho;
    m_active = true;
    m_userAbort = false;
    m_asking = false;
    m_buffer.clear();
    m_lineIndex = -1;
    emit activeChanged(true);
    m_silence.start();
    send("who\r");
    return true;
}

void ItemTransfer::Reply(const QByteArray &text) {
    if (!m_active) {
        return;
    }
    m_buffer += text;
    if (m_buffer.size() > kBufferLimit) {
        m_buffer.remove(0, m_buffer.size() - kBufferLimit);
    }
    if (m_asking) {
        return;
    }
    m_silence.start();
    switch (m_state) {
    case WaitingForWho:
        whoAnswer();
        break;
    case WaitingForList:
        listAnswer();
        break;
    case CopySent:
        copyTarget();
        break;
    case WaitingForCopy:
        copyAnswer();
        break;
    case ImportWaiting:
        importAnswer();
        break;
    case SendingLines:
        sendNextLine();
        break;
    case WaitingForFiled:
        filedAnswer();
        break;
    default:
        break;
    }
}

void ItemTransfer::whoAnswer() {
    const qsizetype echo = m_buffer.indexOf("who\r\n");
    if (echo < 0) {
        if (m_buffer.size() >= kWhoEchoLimit) {
            finish(kExportCaption, QStringLiteral("Not at TCL Prompt or TCL Error"),
                   UserMessages::Kind::Error, false);
        }
        return;
    }
    // The line after the echo: port, user and account.
    const QByteArray rest = m_buffer.mid(echo + 5);
    qsizetype end = rest.indexOf('\r');
    if (end < 0) {
        end = rest.indexOf('\n');
    }
    if (end < 0) {
        return;
    }
    const QList<QByteArray> fields = rest.left(end).split(' ');
    QList<QByteArray> words;
    for (const QByteArray &f : fields) {
        if (!f.isEmpty()) {
            words.append(f);
        }
    }
    if (words.size() < 3 || !isAccountName(words[2].toLower())) {
        finish(kExportCaption, QStringLiteral("Not at TCL Prompt or TCL Error"), UserMessages::Kind::Error,
               false);
        return;
    }
    if (m_request.Import) {
        send("silent.import\r" + HostText::fromUnicode(m_request.WinFile) + '\r' + m_file + '\r' + m_item +
             '\r' + (m_request.SendLineEndings ? "y\r" : "n\r"));
        m_state = ImportWaiting;
    } else {
        send("list " + m_file + ' ' + m_item + '\r');
        m_state = WaitingForList;
    }
    m_buffer.clear();
}

void ItemTransfer::listAnswer() {
    const std::optional<QByteArray> code = ReplyCode(m_buffer);
    if (!code) {
        return;
    }
    if (*code == m_codes.ListNoFile) {
        finish(kExportCaption,
               QStringLiteral("d3 File ") + m_request.D3File + QStringLiteral(" does not exist."),
               UserMessages::Kind::Error, false);
    } else if (*code == m_codes.ListBoth) {
        askOverwrite();
    } else if (*code == m_codes.ListNoItem) {
        startSending();
    }
}

void ItemTransfer::askOverwrite() {
    m_asking = true;
    m_silence.stop();
    const QString text = QStringLiteral("Item ") + m_request.D3File + QLatin1Char(' ') + m_request.D3Item +
                         QStringLiteral(" already exists.\r\nDo you want to overwrite it?");
    QPointer<ItemTransfer> self(this);
    m_defer([self, text] {
        if (!self || !self->m_active || !self->m_asking) {
            return;
        }
        const bool yes = self->m_messages.yesNo(kExportCaption, text);
        // The transfer may have ended while the question was open (link lost, reset).
        if (!self || !self->m_active || !self->m_asking) {
            return;
        }
        self->m_asking = false;
        if (!yes) {
            self->reset();
            emit self->hideRequested();
            return;
        }
        self->m_silence.start();
        self->m_buffer.clear();
        self->send("copy " + self->m_file + ' ' + self->m_item + " (OD\r");
        self->m_state = CopySent;
    });
}

void ItemTransfer::copyTarget() {
    m_buffer.clear();
    send(m_item + ".orva\r");
    m_state = WaitingForCopy;
}

void ItemTransfer::copyAnswer() {
    if (ReplyCode(m_buffer) == m_codes.CopyOk) {
        startSending();
    } else if (m_buffer.size() >= kCopyAnswerLimit) {
        finish(kExportCaption,
               QStringLiteral("Could not create temporary file ") + m_request.D3File + QLatin1Char(' ') +
                   m_request.D3Item + QStringLiteral(".orva"),
               UserMessages::Kind::Error, false);
    }
}

void ItemTransfer::startSending() {
    m_state = SendingLines;
    m_lineIndex = -1;
    emit progress(0, int(m_lines.size()) - 1);
    m_buffer.clear();
    send("ed " + m_file + ' ' + m_item + "\ri\r");
}

void ItemTransfer::sendNextLine() {
    ++m_lineIndex;
    emit progress(m_lineIndex, int(m_lines.size()) - 1);
    send(EditorLine(m_lines.value(m_lineIndex)));
    if (m_lineIndex >= m_lines.size() - 1) {
        m_buffer.clear();
        send("\r\rfi\r");
        m_state = WaitingForFiled;
    }
}

void ItemTransfer::filedAnswer() {
    const std::optional<QByteArray> code = ReplyCode(m_buffer);
    const std::optional<QByteArray> filedCode = ReplyCode(m_codes.Filed);
    if (code && code == filedCode) {
        if (IsFiled(m_buffer, m_codes.Filed, m_item)) {
            finish(kExportDoneCaption, QStringLiteral("Transfer Complete!"), UserMessages::Kind::Information,
                   true);
        }
        return;
    }
    if (m_userAbort) {
        finish(kExportDoneCaption, QStringLiteral("User Abort"), UserMessages::Kind::Information, false);
    }
}

void ItemTransfer::importAnswer() {
    const std::optional<QByteArray> code = ReplyCode(m_buffer, "[C");
    if (code == QByteArray("01")) {
        finish(kImportCaption, QStringLiteral("Transfer Complete"), UserMessages::Kind::Information, true);
        return;
    }
    if (code != QByteArray("99")) {
        return;
    }
    const QByteArray after = m_buffer.mid(m_buffer.indexOf("[C"));
    const qsizetype textStart = after.indexOf("] ");
    const qsizetype textEnd = after.indexOf('\r', textStart < 0 ? 0 : textStart);
    if (textStart < 0 || textEnd < 0) {
        return; // the rest of the host's message is still to come
    }
    finish(kImportCaption, HostText::toUnicode(after.mid(textStart + 2, textEnd - textStart - 2)),
           UserMessages::Kind::Error, false);
    emit focusButton();
}

QByteArray ItemTransfer::escapeBytes() const {
    if (m_request.Import) {
        return "\x1B\x1B";
    }
    // The editor's exit without filing, only where the editor may be open; at a prompt, blank lines.
    if (m_state == SendingLines || m_state == WaitingForFiled) {
        return "\r\rex\ry\r\r";
    }
    return "\r\r";
}

void ItemTransfer::Cancel() {
    if (!m_active) {
        return;
    }
    m_userAbort = true;
    if (m_request.Import) {
        send(escapeBytes());
    } else if (m_state == SendingLines) {
        send(escapeBytes());
        m_state = WaitingForFiled;
        m_buffer.clear();
        return; // the editor's answer ends the transfer
    } else {
        send("\r\r");
        if (m_state == WaitingForFiled) {
            return;
        }
    }
    // Nothing more is awaited from the host: the transfer ends now.
    finish(m_request.Import ? kImportCaption : kExportDoneCaption, QStringLiteral("User Abort"),
           UserMessages::Kind::Information, false);
}

void ItemTransfer::Close() {
    if (!m_active) {
        return;
    }
    send(escapeBytes());
    m_userAbort = false;
    reset();
}

void ItemTransfer::End() {
    if (m_active) {
        reset();
    }
}

void ItemTransfer::HostSilent() {
    if (!m_active || m_asking) {
        return;
    }
    send(escapeBytes());
    finish(caption(), QStringLiteral("The host did not answer; the transfer was stopped."),
           UserMessages::Kind::Warning, false);
}

void ItemTransfer::linkState(LinkState state) {
    if (state != LinkState::Closed || !m_active) {
        return;
    }
    finish(caption(), QStringLiteral("The link to the host was lost; the transfer was stopped."),
           UserMessages::Kind::Warning, false);
}

void ItemTransfer::reset() {
    const bool was = m_active;
    m_active = false;
    m_state = Idle;
    m_asking = false;
    m_buffer.clear();
    m_silence.stop();
    emit progressHidden();
    if (was) {
        emit activeChanged(false);
    }
}

void ItemTransfer::finish(const QString &caption, const QString &text, UserMessages::Kind kind, bool hide) {
    reset();
    tell(kind, caption, text);
    if (hide) {
        emit hideRequested();
    }
}

void ItemTransfer::tell(UserMessages::Kind kind, const QString &caption, const QString &text) {
    QPointer<ItemTransfer> self(this);
    m_defer([self, kind, caption, text] {
        if (self) {
            self->m_messages.show(kind, caption, text);
        }
    });
}

void ItemTransfer::send(const QByteArray &bytes) {
    m_link.Send(bytes);
}
