// Pipeline sinks of the main window.
#include "app/MainFormSinks.h"

#include "app/EditorAndDictation.h"
#include "app/MainWindowUi.h"
#include "app/TOrvaMainForm.h"
#include "app/TerminalTools.h"
#include "app/capture/LocalCapture.h"
#include "app/export/TExportForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "editor/report/HostUpload.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "platform/print/RawPrintQueue.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QApplication>
#include <QFrame>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <QToolButton>

MainFormSinks::MainFormSinks(TOrvaMainForm &form, const Parts &parts)
    : m_form(form), m_ui(parts.ui), m_link(parts.link), m_sendQueue(parts.sendQueue),
      m_rawPrint(parts.rawPrint), m_tools(parts.tools), m_editors(parts.editors), m_settings(parts.settings),
      m_posted(form, parts.messages) {}

MainFormSinks::~MainFormSinks() = default;

HostLink *MainFormSinks::Link() {
    return &m_link;
}

void MainFormSinks::WriteString(const QByteArray &text) {
    m_ui.terminal->WriteString(text);
}

void MainFormSinks::ExecuteRequest(const QByteArray &requestText) {
    if (!m_hostForms) {
        m_hostForms = std::make_unique<TWinpickFrm>();
        m_hostForms->setLink(&m_link);
        m_hostForms->setMainWindow(&m_form);
        m_form.setProperty("orvaTag", 17);
        QObject::connect(&m_link, &HostLink::OnState, m_hostForms.get(), &TWinpickFrm::LinkStateChanged);
    }
    m_hostForms->ExecuteRequest(requestText);
}

void MainFormSinks::HostCaptureChanged(bool on) {
    m_tools.ShowCaptureButton(on);
}

bool MainFormSinks::ItemTransferActive() {
    const ItemTransfer *transfer = m_tools.Transfer();
    return transfer && transfer->Active();
}

void MainFormSinks::ItemTransferReply(const QByteArray &text) {
    if (ItemTransfer *transfer = m_tools.Transfer()) {
        transfer->Reply(text);
    }
}

void MainFormSinks::EndItemTransfer() {
    if (ItemTransfer *transfer = m_tools.Transfer()) {
        transfer->End();
    }
}

bool MainFormSinks::LocalCaptureActive() {
    return m_tools.Capture().isOn();
}

bool MainFormSinks::LocalCaptureWrite(const QByteArray &bytes) {
    return m_tools.Capture().write(bytes);
}

void MainFormSinks::StopLocalCapture() {
    LocalCapture &capture = m_tools.Capture();
    const QString reason = capture.errorString();
    capture.stop();
    const ReceivePipeline *pipeline = m_form.Pipeline();
    m_tools.ShowCaptureButton(pipeline && pipeline->hostCaptureOn());
    m_posted.error(QStringLiteral("Capture to File."), QStringLiteral("The capture file ") +
                                                           capture.fileName() +
                                                           QStringLiteral(" could not be written, and file "
                                                                          "capture has stopped.\n") +
                                                           reason);
}

bool MainFormSinks::RawPrintBegin() {
    m_rawPrint.BeginDoc();
    return true;
}

void MainFormSinks::RawPrintWrite(const QByteArray &bytes) {
    m_rawPrint.WriteString(bytes);
}

void MainFormSinks::RawPrintEnd() {
    m_rawPrint.EndDoc();
}

bool MainFormSinks::ResultTransferActive() {
    return m_sendQueue.ResultTransferActive();
}

void MainFormSinks::SetResultTransferActive(bool on) {
    m_sendQueue.SetResultTransferActive(on);
}

bool MainFormSinks::AudioTransfer() {
    return m_sendQueue.AudioTransfer();
}

void MainFormSinks::SetAudioTransfer(bool on) {
    m_sendQueue.SetAudioTransfer(on);
}

void MainFormSinks::SendQueuedLines() {
    m_sendQueue.SendQueuedLines();
}

void MainFormSinks::SendWhenIdle(const QByteArray &bytes) {
    m_sendQueue.SendWhenIdle(bytes);
}

void MainFormSinks::ClearSendQueue() {
    m_sendQueue.Clear();
}

// The editor takes back its last saved copy, flagged as changed, so that the user returns it again.
void MainFormSinks::TransferFailed(bool audio) {
    const QString text = QStringLiteral("Transfer failure. Please Re-save");
    if (audio) {
        m_editors.DictationTransferFailed(text);
    } else {
        m_editors.ReportTransferFailed(text);
    }
}

void MainFormSinks::ShowTransferPanel(int progress) {
    m_ui.docProgressBar->setValue(progress);
    m_ui.transferPanel->show();
}

void MainFormSinks::HideTransferPanel() {
    m_ui.transferPanel->hide();
}

void MainFormSinks::SetBusyCursor(bool busy) {
    if (busy == m_busy.has_value()) {
        return;
    }
    if (busy) {
        m_busy.emplace();
    } else {
        m_busy.reset();
    }
}

bool MainFormSinks::EditorFoldersSet() {
    return !m_settings.TemplateDirectory.isEmpty() && !m_settings.AbbreviationDirectory.isEmpty();
}

void MainFormSinks::Beep() {
    QApplication::beep();
}

void MainFormSinks::PostedMessages::show(Kind kind, const QString &caption, const QString &text) {
    QPointer<TOrvaMainForm> form(&m_form);
    QTimer::singleShot(0, &m_form, [form, messages = &m_messages, kind, caption, text] {
        if (form) {
            messages->show(kind, caption, text);
        }
    });
}

UserMessages::Answer MainFormSinks::PostedMessages::ask(Buttons buttons, const QString &caption,
                                                        const QString &text) {
    return m_messages.ask(buttons, caption, text);
}

bool MainFormSinks::PostedMessages::inputBox(const QString &caption, const QString &prompt, QString &value) {
    return m_messages.inputBox(caption, prompt, value);
}

QString MainFormSinks::PostedMessages::openFileName(const QString &caption, const QString &folder,
                                                    const QString &filter) {
    return m_messages.openFileName(caption, folder, filter);
}

QString MainFormSinks::PostedMessages::saveFileName(const QString &caption, const QString &folder,
                                                    const QString &filter) {
    return m_messages.saveFileName(caption, folder, filter);
}

QString MainFormSinks::PostedMessages::saveFileNameNoOverwriteCheck(const QString &caption,
                                                                    const QString &folder,
                                                                    const QString &filter) {
    return m_messages.saveFileNameNoOverwriteCheck(caption, folder, filter);
}

void MainFormSinks::ShowEditor(const QByteArray &reportMessage) {
    QPointer<TOrvaMainForm> form(&m_form);
    QTimer::singleShot(0, &m_form, [form, reportMessage] {
        if (form) {
            form->showeditor(reportMessage);
        }
    });
}

void MainFormSinks::ShowImageList(const QByteArray &names) {
    QPointer<TOrvaMainForm> form(&m_form);
    QTimer::singleShot(0, &m_form, [form, names] {
        if (form) {
            form->ShowInDetachedWindow(names);
        }
    });
}

void MainFormSinks::OpenDictationTask(const QByteArray &reportMessage) {
    QPointer<TOrvaMainForm> form(&m_form);
    QTimer::singleShot(0, &m_form, [form, reportMessage] {
        if (form) {
            form->OpenDictationTask(reportMessage);
        }
    });
}

bool MainFormSinks::SetDictationPlayPosition(int milliseconds) {
    return m_form.SetDictationPlayPosition(milliseconds);
}
