// The results editor and the dictation window as the main window opens them: made on first use and
// kept, tied to the one upload queue, to each other (the editor reads a dictation's audio times) and
// to the request picture view. The main window comes back however the editor goes away.
#pragma once

#include "dictation/audioform/TwpAudioForm.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <memory>

class HostSendQueue;
class TDictationKeyTarget;
class TOrvaMainForm;
class TWPForm;
class UserMessages;
struct EditorFolders;
struct MainWindowUi;
struct THostAbbreviationAccess;
struct TOrvaSettings;

class EditorAndDictation : public QObject {
public:
    EditorAndDictation(TOrvaMainForm &window, const MainWindowUi &ui, const TOrvaSettings &settings,
                       HostSendQueue &sendQueue, UserMessages &messages);

    // Opens the editor on a report message (the host's, or the last one again) and hides the main
    // window while the editor is up; `folders` serve the editor's first opening.
    void ShowEditor(const QByteArray &reportMessage, const EditorFolders &folders);
    // "WP Editor Templates": the last report again, after a question when the editor's folders are
    // not set.
    void WPEditButtonClick(const EditorFolders &folders);
    // The dictation window on an audio task message: opened through window modality when the task
    // says "KX_SHOWMODAL~1", never a nested event loop.
    void OpenDictationTask(const QByteArray &reportMessage);
    void SHowAudioBtnClick();
    bool SetDictationPlayPosition(int milliseconds);
    TwpAudioForm *AudioForm() const { return m_audioForm; }
    void SetDictationFactories(TwpAudioForm::PlayerFactory players,
                               TDictationDevices::BackendFactory backends);
    // The key map's dictation tokens on the dictation window, while it shows.
    std::unique_ptr<TDictationKeyTarget> DictationWindowKeys() const;

    // An upload that ended without the host filing it. A report: the editor takes back its last
    // saved copy, flagged as changed, so that the user returns it again. A dictation: the task is
    // shown again with its work file kept.
    void ReportTransferFailed(const QString &text);
    void DictationTransferFailed(const QString &text);
    // On closing: a recording under way is stopped and saved, and the host told.
    void CloseDictationTask();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TwpAudioForm &audioForm();
    // The editor reads the audio times of a dictation's text from the dictation window, once both
    // windows exist.
    void connectEditorToDictation();
    // The editor reads the host's abbreviation list (client command 4) through the pipeline.
    THostAbbreviationAccess hostAbbreviationAccess();

    TOrvaMainForm &m_window;
    const MainWindowUi &m_ui;
    const TOrvaSettings &m_settings;
    HostSendQueue &m_sendQueue;
    UserMessages &m_messages;
    // The report message buffer: the last report opened, opened again by WPEditButton.
    QByteArray m_reportMessage;
    QPointer<TWPForm> m_wpForm;
    QPointer<TwpAudioForm> m_audioForm;
    TwpAudioForm::PlayerFactory m_audioPlayers;
    TDictationDevices::BackendFactory m_hidBackends;
};
