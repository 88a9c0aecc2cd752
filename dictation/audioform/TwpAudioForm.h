// The dictation window: opens one audio task from the host at a time, records, imports, plays and
// corrects its dictation, and hands the upload to the main window's send procedure. Its foot pedal
// and microphone act only while it shows a task with a player.
#pragma once

#include "common/UserMessages.h"
#include "dictation/audioform/AudioFormRules.h"
#include "dictation/audiotask/TAudioTask.h"
#include "dictation/hid/TDictationDeviceActions.h"
#include "dictation/hid/TDictationDevices.h"
#include "dictation/playback/PlaybackControl.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSlider;
class QStatusBar;
class QTextEdit;

// What the main window installs to reach the host: starting the upload of a finished task (true
// once it is handed to the link) and the single ESC that closes a task without one.
struct TAudioHostSend {
    std::function<bool(TAudioTask &task, const QString &audioFile)> Transmit;
    std::function<void()> Escape;
    explicit operator bool() const { return Transmit && Escape; }
};

class TwpAudioForm : public QWidget, public TDictationDeviceActions {
    Q_OBJECT
public:
    using PlayerFactory = std::function<std::unique_ptr<PlaybackControl>()>;

    // `workFolder`: the local results folder, where audio work files are written. `players` makes
    // the player of each task (the sound devices' TPlayback when unset); `backends` the pedal's and
    // the microphone's HID access (the machine's when unset).
    TwpAudioForm(QString workFolder, UserMessages &messages, PlayerFactory players = {},
                 const TDictationDevices::BackendFactory &backends = {}, QWidget *parent = nullptr);
    ~TwpAudioForm() override;

    TAudioHostSend AudioHostSend;
    // How long the window waits for its audio file, which may sit on a share, before it gives up.
    int ShareWaitMs = 10000;

    // Opens the task of an audio task message; the caller shows the window. Always true.
    bool OpenAudioTask(const QByteArray &messageText);
    // After an upload the host refused or the link lost: the same task again, its audio kept.
    void ReopenAudioTask();
    bool TaskOpen() const { return m_taskOpen; }

    // Entry points of key tokens, the microphone and the pedal; each does nothing unless the
    // window shows a task with a player, and reports its own failures.
    bool DeviceActionsAllowed() const override;
    void ActionQuit() override;
    void ActionLoad() override;
    void ActionTransmit() override;
    void ActionRecord() override;
    void ActionPlayPause() override;
    void ActionForward() override;
    void ActionRewind() override;
    void ActionStop() override;
    void PlayBtn2Click(QObject *sender) override;
    void PlaybackPause() override;
    void DeviceActionFailed(const QString &message) override;

    // Client command "ORVAAUDIO" "PLAYFROM": plays from `milliseconds` to the end.
    bool PlayFrom(int milliseconds);
    // The audio time (ms) of the word holding a text position of the correction; -1 when none.
    int GetTimePosBySelPos(int position) const;

    // The state tests and the main window look at.
    const QString &AudioFileName() const { return m_audioFileName; }
    const QByteArray &AudioTaskKind() const { return m_audioTaskKind; }
    bool NoEscapeOnClose() const { return m_noEscapeOnClose; }
    TAudioTask &Task() { return m_task; }
    PlaybackControl *Player() const { return m_player.get(); }
    TDictationDevices *Devices() const { return m_devices; }

    // The buttons (form-resource names), for the key maps and tests.
    void btnRewindClick(QObject *sender);
    void DeAudioPlayPause();
    void btnStopClick();
    void btnRecordClick();
    void LoadButtonClick();
    void TransmitButtonClick();
    void exitButtonClick();
    void EnableButtons();
    void UpdateStatus();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildForm();
    // Sets the window up for the task; a host file the player cannot open does not stop that: the
    // reason comes back in `failure`, to be told once the window shows. False (the reason in
    // `failure`) when the player could not let go of its previous file.
    bool applyTask(bool reopen, QString &failure);
    void ShowTaskText();
    void ShowReportDetails();
    void AfterOpenIdle();
    void FormShow();
    enum class Layout { PlayerOnly, Details, Full };
    void setLayout(Layout layout);
    void OnPlaybackPosition(int textStart, int textLength);
    void AuthorListComboChange();
    void BatchComboChange();
    void pbPlayBackReleased();
    void CorrectWpTextDblClick();
    void CorrectWpTextChange();
    void CorrectWpTextKey(int key);
    bool ConversionProgress(int stage, int percent);
    void LoadWindowPosition();
    void SaveWindowPosition();
    void FormClose();
    // Tells the user why a player call failed; false, so that the handler ends there.
    bool failed(const QString &why);
    // Whether the player holds a file, after opening the task's audio when it held none; a file
    // that cannot be opened is told to the user.
    enum class PlayerFile { None, Open, Failed };
    PlayerFile openPlayerFile();
    // PlayBtn2Click and btnStopClick; false when a failure was told and the caller must stop too.
    bool playFromTrack(QObject *sender);
    bool stopAndAsk();
    // False when the user was told why no recording can start.
    bool ensureRecordingFile();
    bool importFile(const QString &chosen, QString &target);
    // Converts `source` into the dictation format at `target`, with the progress panel; false (the
    // user told, under `caption`) when it cannot.
    bool convertToStandard(const QString &source, const QString &target, const QString &caption,
                           const QString &failure);
    // A new AudioData work file, made empty and exclusively; empty (the user told under `caption`)
    // when none can be made.
    QString newWorkFile(const QString &caption) const;
    bool fileExists() const;
    bool playing() const;
    bool recording() const;
    int clampToLength(int ms) const;
    QByteArray value(const char *name) const { return m_task.AudioReportRecord.GetValue(name); }
    // Runs a handler so that no failure reaches the event loop: the user is told instead.
    template <typename Handler> void guarded(Handler &&handler);

    QString m_workFolder;
    UserMessages &m_messages;
    PlayerFactory m_players;
    TAudioTask m_task;
    std::unique_ptr<PlaybackControl> m_player;
    TDictationDevices *m_devices = nullptr;

    QString m_audioFileName;
    QByteArray m_audioTaskKind;
    QString m_audioReceivedText;
    // A correction sent for the open task, and the text it corrected: a refused upload brings both
    // back, so the same correction can be sent again as it stands.
    QString m_sentCorrection;
    QString m_correctedReceivedText;
    QByteArray m_audioFormatText;
    TAudioAuthors m_audioAuthors;
    TAudioBatchInfoRecords m_audioBatches;
    bool m_taskOpen = false;
    bool m_noEscapeOnClose = false;
    bool m_escapeSent = false;
    bool m_playFromStartPending = false;
    bool m_recordAllowed = false;
    bool m_trackDragging = false;
    bool m_closing = false;
    int m_blink = 0;
    int m_convertDots = 0;
    int m_lastSelStart = -1;
    int m_lastSelLength = -1;
    TAudioKeyCounter m_keys;

    QFrame *m_playerPanel = nullptr;
    QPushButton *m_btnRewind = nullptr;
    QPushButton *m_btnPlay = nullptr;
    QPushButton *m_btnPause = nullptr;
    QPushButton *m_btnStop = nullptr;
    QPushButton *m_btnRecord = nullptr;
    QPushButton *m_btnFFwd = nullptr;
    QPushButton *m_loadButton = nullptr;
    QPushButton *m_exitButton = nullptr;
    QSlider *m_pbPlayBack = nullptr;
    QLabel *m_recordImage = nullptr;
    QFrame *m_conversionPanel = nullptr;
    QLabel *m_convertCaption = nullptr;
    QProgressBar *m_convertProgressBar = nullptr;
    QFrame *m_batchPanel = nullptr;
    QComboBox *m_batchCombo = nullptr;
    QFrame *m_reportDetailsPanel = nullptr;
    QLineEdit *m_labReferenceEdit = nullptr;
    QLineEdit *m_procedureCodeEdit = nullptr;
    QLineEdit *m_audioDescriptionEdit = nullptr;
    QComboBox *m_authorListCombo = nullptr;
    QCheckBox *m_submitForRecogCheck = nullptr;
    QLabel *m_contextLabel = nullptr;
    QPushButton *m_transmitButton = nullptr;
    QLabel *m_patientStatic = nullptr;
    QLabel *m_drNameStatic = nullptr;
    QLabel *m_reqDateStatic = nullptr;
    QLabel *m_procStatic = nullptr;
    QLabel *m_requestStatic = nullptr;
    QFrame *m_textPanel = nullptr;
    QTextEdit *m_correctWpText = nullptr;
    QStatusBar *m_statusBar = nullptr;
    QLabel *m_statusPanels[3] = {};
    QAction *m_full1 = nullptr;
    QAction *m_reportDetails1 = nullptr;
    QAction *m_playerOnly1 = nullptr;
};
