// The results editor and the dictation window of the main window.
#include "app/EditorAndDictation.h"

#include "app/MainWindowUi.h"
#include "app/RequestImagePanel.h"
#include "app/TOrvaMainForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/LocalPath.h"
#include "common/ResourceCursors.h"
#include "common/SetupFile.h"
#include "common/UserMessages.h"
#include "common/WaitCursor.h"
#include "dictation/keys/TDictationKeyTarget.h"
#include "editor/report/HostUpload.h"
#include "editor/wpform/TWPForm.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QFrame>
#include <QTimer>

namespace {

// The key map's dictation tokens on the dictation window, while it shows.
class WindowKeys : public TDictationKeyTarget {
public:
    explicit WindowKeys(const QPointer<TwpAudioForm> &window) : m_window(window) {}
    bool DictationWindowShowing() const override { return m_window && m_window->isVisible(); }
    void DictationKey(TDictationKey key) override {
        switch (key) {
        case TDictationKey::Forward:
            m_window->ActionForward();
            break;
        case TDictationKey::Rewind:
            m_window->ActionRewind();
            break;
        case TDictationKey::PlayPause:
            m_window->ActionPlayPause();
            break;
        case TDictationKey::Stop:
            m_window->ActionStop();
            break;
        case TDictationKey::Record:
            m_window->ActionRecord();
            break;
        case TDictationKey::Quit:
            m_window->ActionQuit();
            break;
        case TDictationKey::Load:
            m_window->ActionLoad();
            break;
        case TDictationKey::Transmit:
            m_window->ActionTransmit();
            break;
        }
    }

private:
    const QPointer<TwpAudioForm> &m_window;
};

} // namespace

EditorAndDictation::EditorAndDictation(TOrvaMainForm &window, const MainWindowUi &ui,
                                       const TOrvaSettings &settings, HostSendQueue &sendQueue,
                                       UserMessages &messages)
    : QObject(&window), m_window(window), m_ui(ui), m_settings(settings), m_sendQueue(sendQueue),
      m_messages(messages) {}

std::unique_ptr<TDictationKeyTarget> EditorAndDictation::DictationWindowKeys() const {
    return std::make_unique<WindowKeys>(m_audioForm);
}

bool EditorAndDictation::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_wpForm && event->type() == QEvent::Hide && !event->spontaneous() &&
        m_window.isHidden()) {
        m_window.show();
        m_window.FocusTerminal();
    }
    return false;
}

void EditorAndDictation::ReportTransferFailed(const QString &text) {
    if (m_wpForm) {
        m_wpForm->ReloadLastReport();
    }
    m_messages.error(QStringLiteral("Save Data"), text);
}

void EditorAndDictation::CloseDictationTask() {
    if (m_audioForm && m_audioForm->TaskOpen()) {
        m_audioForm->close();
    }
}

void EditorAndDictation::ShowEditor(const QByteArray &reportMessage, const EditorFolders &folders) {
    m_reportMessage = reportMessage;
    if (!m_wpForm) {
        m_wpForm = new TWPForm(folders, &m_sendQueue, m_messages, &m_window);
        m_wpForm->setWindowFlag(Qt::Window);
        // However the editor goes away, the main window comes back.
        m_wpForm->installEventFilter(this);
        m_wpForm->SetHostAbbreviations(hostAbbreviationAccess());
        // Pictures of the report are shown and measured in the request picture view.
        m_wpForm->SetShowInImageControl(
            [this](const QString &file) { m_ui.viewPanel->ShowPictureFile(file); });
        m_wpForm->SetMeasurePicture(
            [this](const QString &file) { return m_ui.viewPanel->ShowPictureFile(file); });
        connect(m_wpForm, &TWPForm::ReportFinished, this, [this] {
            m_window.show();
            m_window.raise();
            m_window.activateWindow();
            m_ui.terminal->setFocus();
        });
        connectEditorToDictation();
    }
    m_wpForm->SetReceivedReportText(reportMessage);
    if (!m_wpForm->LoadReport()) {
        m_messages.information(QStringLiteral("Orva"),
                               QStringLiteral("An error occurred opening this document.\r\n\r\n"
                                              "You should Escape from this document and retry"));
        return;
    }
    m_window.hide();
    m_wpForm->show();
    m_wpForm->raise();
    m_wpForm->activateWindow();
}

void EditorAndDictation::WPEditButtonClick(const EditorFolders &folders) {
    if ((m_settings.TemplateDirectory.isEmpty() || m_settings.AbbreviationDirectory.isEmpty()) &&
        !m_messages.yesNo(
            QStringLiteral("Orva"),
            QStringLiteral("The Pendra Template and/or Abbreviations folder location(s) have\r\n"
                           "not been specified.\r\n\r\n"
                           "To resolve this issue, open the options dialog and specify the "
                           "necessary\r\nlocations on the 'Word Processing' page.\r\n\r\n"
                           "Are you sure you wish to open Pendra anyway?"))) {
        return;
    }
    ShowEditor(m_reportMessage, folders);
}

void EditorAndDictation::SetDictationFactories(TwpAudioForm::PlayerFactory players,
                                               TDictationDevices::BackendFactory backends) {
    m_audioPlayers = std::move(players);
    m_hidBackends = std::move(backends);
}

TwpAudioForm &EditorAndDictation::audioForm() {
    if (!m_audioForm) {
        m_audioForm = new TwpAudioForm(LocalPath::toLocalPath(m_settings.ResultDirectory), m_messages,
                                       m_audioPlayers, m_hidBackends, &m_window);
        QPointer<TwpAudioForm> form = m_audioForm;
        m_audioForm->AudioHostSend.Transmit = [this, form](TAudioTask &task, const QString &audioFile) {
            if (!task.TransmitAudio(m_sendQueue, audioFile)) {
                return false;
            }
            m_ui.transferPanel->show();
            // The window goes once the upload is under way; its task ends without an ESC.
            QTimer::singleShot(0, this, [form] {
                if (form) {
                    form->close();
                }
            });
            return true;
        };
        // The window's ESC goes the way of its send procedure, which keeps an upload in flight whole.
        m_audioForm->AudioHostSend.Escape = [this] {
            if (ReceivePipeline *pipeline = m_window.Pipeline()) {
                pipeline->Telnet1SendText(QByteArray(1, '\x1B'));
            }
        };
        connectEditorToDictation();
    }
    return *m_audioForm;
}

void EditorAndDictation::connectEditorToDictation() {
    if (!m_wpForm || !m_audioForm) {
        return;
    }
    QPointer<TwpAudioForm> audio = m_audioForm;
    m_wpForm->SetDictationTimes(
        [audio](const QByteArray &job, int selStart, int selEnd, int &startMs, int &endMs) {
            if (!audio) {
                return false;
            }
            // Only the times of the dictation the window holds belong to that entry's text.
            const QByteArray held = audio->Task().AudioReportRecord.GetValue("AUDIOJOBNUMBER");
            if (held.isEmpty() || held.compare(job, Qt::CaseInsensitive) != 0) {
                return false;
            }
            const int start = audio->GetTimePosBySelPos(selStart);
            const int end = audio->GetTimePosBySelPos(selEnd);
            if (start < 0 || end < 0) {
                return false;
            }
            startMs = start;
            endMs = end;
            return true;
        });
}

void EditorAndDictation::OpenDictationTask(const QByteArray &reportMessage) {
    TwpAudioForm &form = audioForm();
    if (form.isVisible()) {
        form.close();
    }
    bool opened = false;
    {
        const WaitCursor speaker(ResourceCursors::Load("SPEAKER"));
        opened = form.OpenAudioTask(reportMessage);
    }
    if (!opened) {
        return;
    }
    form.setWindowModality(reportMessage.contains("KX_SHOWMODAL~1") ? Qt::ApplicationModal : Qt::NonModal);
    form.show();
    form.raise();
    form.activateWindow();
}

void EditorAndDictation::SHowAudioBtnClick() {
    if (m_audioForm && m_audioForm->isVisible()) {
        m_audioForm->raise();
        m_audioForm->activateWindow();
        return;
    }
    // A dictation still going up stays one: the host's refusal of it must not read as a report's.
    if (!m_sendQueue.ResultTransferActive()) {
        m_sendQueue.SetAudioTransfer(false);
    }
    OpenDictationTask(QByteArrayLiteral("KX_AUDIOTASK~PLAYBACK"));
}

bool EditorAndDictation::SetDictationPlayPosition(int milliseconds) {
    return m_audioForm && m_audioForm->PlayFrom(milliseconds);
}

void EditorAndDictation::DictationTransferFailed(const QString &text) {
    m_ui.transferPanel->hide();
    if (m_audioForm) {
        // The work file is kept: the user transmits the same dictation again.
        m_audioForm->ReopenAudioTask();
        m_audioForm->show();
        m_audioForm->raise();
    }
    m_messages.error(QStringLiteral("Audio File Transmit"), text);
}

THostAbbreviationAccess EditorAndDictation::hostAbbreviationAccess() {
    auto list = [this]() -> THostAbbreviations * {
        ReceivePipeline *pipeline = m_window.Pipeline();
        return pipeline ? &pipeline->abbreviations() : nullptr;
    };
    THostAbbreviationAccess access;
    access.ListCreated = [list] { return list() && list()->ListCreated; };
    access.Value = [list](const QByteArray &name) { return list() ? list()->value(name) : QByteArray(); };
    access.ClearAnswer = [list] {
        if (THostAbbreviations *l = list()) {
            l->LookupAnswer.clear();
            l->LookupName.clear();
        }
    };
    access.Answer = [list] {
        THostAbbreviations *l = list();
        return l ? qMakePair(l->LookupName, l->LookupAnswer) : QPair<QByteArray, QByteArray>();
    };
    return access;
}
