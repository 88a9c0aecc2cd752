// What the receive pipeline reaches in the main window: the terminal, the link, the transfer panel,
// the capture button and the user's boxes. Windows and boxes are posted to the event loop, so none
// runs inside the slot that took the host's bytes.
#pragma once

#include "app/pipeline/PipelineSinks.h"

#include <memory>

class TOrvaMainForm;
class TTelnet;
class TWinpickFrm;

class MainFormSinks : public PipelineSinks {
public:
    explicit MainFormSinks(TOrvaMainForm &form);
    ~MainFormSinks() override;

    void WriteString(const QByteArray &text) override;
    // Request types 1-9: the host-forms container, created on first use.
    void ExecuteRequest(const QByteArray &requestText) override;
    TWinpickFrm *HostForms() const { return m_hostForms.get(); }
    HostProtocol::HostLink *Link() override { return &m_link; }
    void HostCaptureChanged(bool on) override;
    bool ResultTransferActive() override;
    void SetResultTransferActive(bool on) override;
    bool AudioTransfer() override;
    void SetAudioTransfer(bool on) override;
    void SendQueuedLines() override;
    void ClearSendQueue() override;
    void TransferFailed(bool audio) override;
    void ShowTransferPanel(int progress) override;
    void HideTransferPanel() override;
    void SetBusyCursor(bool busy) override;
    bool EditorFoldersSet() override;
    void Beep() override;
    void ShowMessage(MessageKind kind, const QString &caption, const QString &text) override;
    void ShowEditor(const QByteArray &reportMessage) override;
    // Client command 1 "ORVAIMAGE": the request images (posted to the event loop).
    void ShowImageList(const QByteArray &names) override;

private:
    class LinkAdapter : public HostProtocol::HostLink {
    public:
        explicit LinkAdapter(TOrvaMainForm &form) : m_form(form) {}
        int State() const override;
        void Send(const QByteArray &data) override;

    private:
        TOrvaMainForm &m_form;
    };

    TOrvaMainForm &m_form;
    LinkAdapter m_link;
    bool m_busy = false;
    // Declared after the link so that it goes first: its workspaces stop sending before then.
    std::unique_ptr<TWinpickFrm> m_hostForms;
};
