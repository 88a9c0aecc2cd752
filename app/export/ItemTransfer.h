// Export of a text file into a host item and import of an item into a file, carried out by typing
// commands at the host's command prompt ("who", "list", "copy", "ed", "silent.import") and reading
// the host's bracketed message codes from every block it sends while the transfer runs
// (ItemTransferActive). Boxes are never shown inside a received block: they go through `defer`.
#pragma once

#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "platform/hostlink/HostLink.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

class ItemTransfer : public QObject {
    Q_OBJECT
public:
    using Defer = std::function<void(std::function<void()>)>;

    // The reply codes of the setup file.
    struct Codes {
        QByteArray ListNoFile = "10";
        QByteArray ListNoItem = "202";
        QByteArray ListBoth = "405";
        QByteArray CopyOk = "805";
        QByteArray Filed = "[221] '##d3item##' filed.";
        static Codes fromSetup(const TOrvaSettings &settings);
    };

    // What Start needs: the file on this computer (export) or the path the host writes (import, sent
    // as typed), the host file and item, and for an import whether the host ends lines.
    struct Request {
        bool Import = false;
        QString WinFile;
        QString D3File;
        QString D3Item;
        bool SendLineEndings = true;
    };

    // The transfer states.
    enum State {
        Idle = 0,
        WaitingForWho = 1,
        WaitingForList = 3,
        CopySent = 5,
        WaitingForCopy = 6,
        ImportWaiting = 8,
        SendingLines = 10,
        WaitingForFiled = 11,
    };

    // `defer` runs a box after the current block (default: from the event loop).
    ItemTransfer(HostLink &link, UserMessages &messages, Defer defer = {}, QObject *parent = nullptr);

    void setCodes(const Codes &codes) { m_codes = codes; }
    // How long the host may stay silent before the transfer gives up.
    void setSilenceLimit(int ms) { m_silence.setInterval(ms); }

    // Starts the dialogue; false (and the user told) when the request cannot be carried out.
    bool Start(const Request &request);
    // How long an export waits for its file, which may sit on a share, before it gives up.
    int FileWaitMs = 10000;
    // The user's "&Cancel".
    void Cancel();
    // The form closes while the transfer runs: the host is taken back to its prompt, silently.
    void Close();
    // The pipeline's reset: the transfer ends where it is, silently.
    void End();
    // One received block (NUL bytes left out).
    void Reply(const QByteArray &text);
    // The host went silent for too long.
    void HostSilent();

    bool Active() const { return m_active; }
    int State() const { return m_state; }
    bool UserAbort() const { return m_userAbort; }
    bool ImportMode() const { return m_request.Import; }
    // The file on this computer of the transfer last started.
    const QString &WinFile() const { return m_request.WinFile; }

    // A Windows or Linux text file as the lines the host's editor gets: CR LF, LF and a lone CR each
    // end a line, and a line end at the very end does not start another line.
    static QList<QByteArray> SplitLines(const QByteArray &bytes);
    // A line as typed into the host's editor: value marks as the editor's control keys, an empty
    // line as the one byte that stands for it (the editor would take a bare CR as the end of input).
    static QByteArray EditorLine(const QByteArray &line);
    // The text between `open` and the next "]" of `buffer`, when both are there.
    static std::optional<QByteArray> ReplyCode(const QByteArray &buffer, const QByteArray &open = "[");
    // Whether `buffer` holds the completion text of `filedPattern` for `item` (placeholder
    // "##d3item##" or "##d3 item##"; blanks are not compared).
    static bool IsFiled(const QByteArray &buffer, const QByteArray &filedPattern, const QByteArray &item);

signals:
    // The transfer started or ended (the form's button reads "&Cancel" while it runs).
    void activeChanged(bool active);
    // Lines are being sent: `value` of 0..`maximum`; hidden once the transfer ends.
    void progress(int value, int maximum);
    void progressHidden();
    // The transfer completed, or the user declined to overwrite: the form goes.
    void hideRequested();
    // The host refused the import: the button takes the focus.
    void focusButton();

private:
    void whoAnswer();
    void listAnswer();
    void copyTarget();
    void copyAnswer();
    void startSending();
    void sendNextLine();
    void filedAnswer();
    void importAnswer();
    void askOverwrite();
    void reset();
    void finish(const QString &caption, const QString &text, UserMessages::Kind kind, bool hide);
    void tell(UserMessages::Kind kind, const QString &caption, const QString &text);
    void send(const QByteArray &bytes);
    void linkState(LinkState state);
    QString caption() const;
    QByteArray escapeBytes() const;

    HostLink &m_link;
    UserMessages &m_messages;
    Defer m_defer;
    Codes m_codes;
    QTimer m_silence;

    Request m_request;
    QByteArray m_file;
    QByteArray m_item;
    bool m_active = false;
    int m_state = Idle;
    bool m_userAbort = false;
    bool m_asking = false;
    QByteArray m_buffer;
    QList<QByteArray> m_lines;
    int m_lineIndex = -1;
};
