// What the receive pipeline reaches in the main window: the terminal, the link, the transfer panel,
// the capture button and the user's boxes. Windows and boxes are posted to the event loop, so none
// runs inside the slot that took the host's bytes.
#pragma once

#include "app/pipeline/PipelineSinks.h"
#include "common/WaitCursor.h"

#include <memory>
#include <optional>

class EditorAndDictation;
class HostSendQueue;
class RawPrintQueue;
class TOrvaMainForm;
class TWinpickFrm;
class TerminalTools;
struct MainWindowUi;
struct TOrvaSettings;

class MainFormSinks : public PipelineSinks {
public:
    // The parts of the main window the pipeline reaches; the window owns them and outlives this.
    struct Parts {
        const MainWindowUi &ui;
        HostLink &link;
        HostSendQueue &sendQueue;
        RawPrintQueue &rawPrint;
        TerminalTools &tools;
        EditorAndDictation &editors;
        const TOrvaSettings &settings;
        UserMessages &messages;
    };
    MainFormSinks(TOrvaMainForm &form, const Parts &parts);
    ~MainFormSinks() override;

    void WriteString(const QByteArray &text) override;
    // Request types 1-9: the host-forms container, created on first use.
    void ExecuteRequest(const QByteArray &requestText) override;
    TWinpickFrm *HostForms() const { return m_hostForms.get(); }
    HostLink *Link() override;
    void HostCaptureChanged(bool on) override;
    // The export or import of the export form, while it runs.
    bool ItemTransferActive() override;
    void ItemTransferReply(const QByteArray &text) override;
    void EndItemTransfer() override;
    // The user's capture; a write that fails ends it, pops the button up and says so.
    bool LocalCaptureActive() override;
    bool LocalCaptureWrite(const QByteArray &bytes) override;
    void StopLocalCapture() override;
    // Host print data goes to the raw print queue; a job that fails is reported by the queue.
    bool RawPrintBegin() override;
    void RawPrintWrite(const QByteArray &bytes) override;
    void RawPrintEnd() override;
    bool ResultTransferActive() override;
    void SetResultTransferActive(bool on) override;
    bool AudioTransfer() override;
    void SetAudioTransfer(bool on) override;
    void SendQueuedLines() override;
    void ClearSendQueue() override;
    void SendWhenIdle(const QByteArray &bytes) override;
    void TransferFailed(bool audio) override;
    void ShowTransferPanel(int progress) override;
    void HideTransferPanel() override;
    void SetBusyCursor(bool busy) override;
    bool EditorFoldersSet() override;
    void Beep() override;
    // The main window's boxes; notices are posted to the event loop.
    UserMessages &Messages() override { return m_posted; }
    void ShowEditor(const QByteArray &reportMessage) override;
    // The dictation window on an audio task message (posted to the event loop).
    void OpenDictationTask(const QByteArray &reportMessage) override;
    bool SetDictationPlayPosition(int milliseconds) override;
    // Client command 1 "ORVAIMAGE": the request images (posted to the event loop).
    void ShowImageList(const QByteArray &names) override;

private:
    // Notices go to the event loop, so that no box runs inside the slot that took the host's
    // bytes; questions and dialogs, which need their answer at once, go to the main window's boxes.
    class PostedMessages : public UserMessages {
    public:
        PostedMessages(TOrvaMainForm &form, UserMessages &messages) : m_form(form), m_messages(messages) {}
        void show(Kind kind, const QString &caption, const QString &text) override;
        Answer ask(Buttons buttons, const QString &caption, const QString &text) override;
        bool inputBox(const QString &caption, const QString &prompt, QString &value) override;
        QString openFileName(const QString &caption, const QString &folder, const QString &filter) override;
        QString saveFileName(const QString &caption, const QString &folder, const QString &filter) override;
        QString saveFileNameNoOverwriteCheck(const QString &caption, const QString &folder,
                                             const QString &filter) override;

    private:
        TOrvaMainForm &m_form;
        UserMessages &m_messages;
    };

    TOrvaMainForm &m_form;
    const MainWindowUi &m_ui;
    HostLink &m_link;
    HostSendQueue &m_sendQueue;
    RawPrintQueue &m_rawPrint;
    TerminalTools &m_tools;
    EditorAndDictation &m_editors;
    const TOrvaSettings &m_settings;
    PostedMessages m_posted;
    std::optional<WaitCursor> m_busy; // while the host says it is busy
    std::unique_ptr<TWinpickFrm> m_hostForms;
};
