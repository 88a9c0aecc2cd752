// The router of everything the host sends: each received block runs through the stages in a
// fixed order (open frame, host capture, new frames, export/import, printer controller, key-set
// query, beep, result-transfer handshake, report message, terminal and login conversation).
// State that spans blocks (open frame, held tails, printing, report collection) lives here.
#pragma once

#include "app/pipeline/ClientCommands.h"
#include "app/pipeline/PipelineSinks.h"
#include "common/SetupFile.h"
#include "common/SwapIntercepts.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

struct PipelineSettings {
    QByteArray KeySetQuery;
    QByteArray KeySetReply;
    QByteArray EnablePCBeep;              // lower-cased; "yes" beeps
    QByteArray LoginConversation;         // see "prompt" answer "reply"
    QList<TSwapIntercept> SwapIntercepts; // the key maps' list (the setup's COLOUR- and SWAP- lines)
    QString CaptureDirectory;             // the only folder host capture files are written in

    // `captureDirectory` is the setup key "capturedirectory"; empty gives <ResultDirectory>/capture.
    // The swap intercepts are not read here: the key maps own them.
    static PipelineSettings fromSetup(const TOrvaSettings &setup, const QString &captureDirectory);
};

// Bounds on what the host can make the pipeline hold.
struct PipelineLimits {
    qsizetype Frame = 64 * 1024;
    qsizetype Report = 64 * 1024 * 1024;
    qsizetype HeldText = 4 * 1024 * 1024; // terminal text held back while the user selects
};

class ReceivePipeline {
public:
    ReceivePipeline(PipelineSinks &sinks, PipelineSettings settings, PipelineLimits limits = {});

    // Telnet1Receive: one received block. A call made while a block is being processed (from a
    // sink) queues its block behind the current one. Deferred sink calls run when the blocks are done.
    void process(const QByteArray &block);

    // The swap intercepts applied to screen text, replaced as a whole when the setup file is read again.
    void setSwapIntercepts(const QList<TSwapIntercept> &swaps);
    // The settings of a setup file read again. Whether the login was answered is left alone, so a
    // re-read while connected never answers the login prompt a second time.
    void setSettings(PipelineSettings settings);
    const PipelineSettings &settings() const { return m_settings; }

    // Selection hold: on at a left-button press in the terminal; off at a key press, copy/paste, a
    // smart-mouse click, or a release with fewer than 4 selected characters. Text received while it
    // is on is kept (bounded) and written when it goes off.
    void setSelectionHold(bool on);
    bool selectionHold() const { return m_selectionHold; }

    // Frame, report collection, held tails and printing (the job ended) cleared, and the export/import
    // and result-transfer flags switched off.
    void reset();
    // A new connection: reset, and the login conversation may be answered again.
    void connectionStarted();
    // The current login conversation (its saved copy comes from the settings).
    void setLoginConversation(const QByteArray &conversation) { m_loginConversation = conversation; }
    const QByteArray &loginConversation() const { return m_loginConversation; }

    // Telnet1Send: the link drained its output.
    void Telnet1Send();
    // Telnet1SendText: the dictation window's send procedure (its ESC; the upload itself starts on
    // the send queue). While an upload is under way the text waits for its end and no flag changes.
    void Telnet1SendText(const QByteArray &text);

    QByteArray handleobject(const QByteArray &text) { return m_commands.handleobject(text); }
    ClientCommands &commands() { return m_commands; }
    THostAbbreviations &abbreviations() { return m_commands.Abbreviations; }

    // State, for the main window and tests.
    bool frameOpen() const { return m_frameOpen; }
    const QByteArray &frameBuffer() const { return m_frameBuffer; }
    const QByteArray &heldTail() const { return m_heldTail; }
    bool printing() const { return m_printing; }
    bool reportCollecting() const { return m_reportCollecting; }
    const QByteArray &reportMessage() const { return m_reportMessage; }
    bool loginAnswered() const { return m_loginAnswered; }
    bool hostCaptureOn() const { return m_commands.Capture.isOn(); }
    const QString &stepDescription() const { return m_step; }
    qsizetype heldTextSize() const { return m_heldText.size(); }

private:
    void runGuarded(const QByteArray &block);
    void reportFailure(const QString &message);
    void runBlock(const QByteArray &block);
    void defer(std::function<void()> f) { m_deferred.append(std::move(f)); }
    void notice(const QString &text);

    QByteArray captureUntilControl(const QByteArray &data);
    QByteArray cutFrames(const QByteArray &data);
    QByteArray printerController(QByteArray data);
    void beginPrint();
    void printWrite(const QByteArray &bytes);
    void endPrint();
    QByteArray handshake(QByteArray data);
    QByteArray reportMessages(QByteArray data);
    void openReport();
    void OutPuttoTerm(const QByteArray &text);
    void writeTerminal(const QByteArray &text);
    void send(const QByteArray &bytes);

    PipelineSinks &m_sinks;
    PipelineSettings m_settings;
    PipelineLimits m_limits;
    ClientCommands m_commands;

    QByteArray m_heldTail;
    bool m_frameOpen = false;
    QByteArray m_frameBuffer;
    bool m_printing = false;
    bool m_printJobFailed = false;
    bool m_selectionHold = false;
    QByteArray m_heldText;
    bool m_reportCollecting = false;
    QByteArray m_reportMessage;
    QByteArray m_reportStartTail;
    bool m_loginAnswered = false;
    QByteArray m_loginConversation;
    QString m_step;

    bool m_running = false;
    QList<QByteArray> m_queue;
    QList<std::function<void()>> m_deferred;
};
