// The dictation window.
#include "dictation/audioform/TwpAudioForm.h"

#include "common/FileWait.h"
#include "common/HostText.h"
#include "common/WaitCursor.h"
#include "dictation/playback/TPlayback.h"
#include "dictation/wave/AudioErrors.h"
#include "dictation/wave/AudioUtils.h"
#include "editor/report/EditorAudioStatus.h"
#include "platform/files/PrivateFile.h"
#include "platform/settings/TRegistry.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace {

const QString kNoAudioText = QStringLiteral("No Audio Loaded");

const QByteArray kStandardFormatText = "GSM 6.10, 22.050 kHz, Mono";
constexpr int kStepMs = 2000;

bool isStandardFormat(const QString &file) {
    TdeWaveFormat format;
    bool isMpeg = false;
    if (!ReadWaveFileFormat(file, format, isMpeg) || isMpeg)
        return false;
    return format.FormatTag() == 0x31 && format.SamplesPerSec() == 22050 && format.Channels() == 1;
}

} // namespace

TwpAudioForm::TwpAudioForm(QString workFolder, UserMessages &messages, PlayerFactory players,
                           const TDictationDevices::BackendFactory &backends, QWidget *parent)
    : QWidget(parent, Qt::Window), m_workFolder(std::move(workFolder)), m_messages(messages),
      m_players(std::move(players)), m_task(m_workFolder, messages) {
    setObjectName(QStringLiteral("wpAudioForm"));
    setWindowTitle(QStringLiteral("Quillory"));
    if (!m_players)
        m_players = [] { return std::make_unique<TPlayback>(); };
    buildForm();
    m_devices = new TDictationDevices(*this, this, backends);
    SetTimePosBySelPosProvider([this](int position) { return GetTimePosBySelPos(position); });
    connect(m_devices, &TDictationDevices::DeviceAccessDenied, this, [this](const QString &path) {
        m_statusPanels[1]->setText(QStringLiteral("No access to ") + path);
    });
}

TwpAudioForm::~TwpAudioForm() {
    SetTimePosBySelPosProvider({});
}

void TwpAudioForm::buildForm() {
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *menu = new QMenuBar(this);
    QMenu *view = menu->addMenu(QStringLiteral("&View"));
    m_full1 = view->addAction(QStringLiteral("F&ull Size"), this, [this] { setLayout(Layout::Full); });
    m_reportDetails1 =
        view->addAction(QStringLiteral("&Hide Text"), this, [this] { setLayout(Layout::Details); });
    m_playerOnly1 =
        view->addAction(QStringLiteral("Player &Only"), this, [this] { setLayout(Layout::PlayerOnly); });
    for (QAction *a : {m_full1, m_reportDetails1, m_playerOnly1})
        a->setCheckable(true);
    m_full1->setObjectName(QStringLiteral("Full1"));
    m_reportDetails1->setObjectName(QStringLiteral("ReportDetails1"));
    m_playerOnly1->setObjectName(QStringLiteral("PlayerOnly1"));
    auto *transmit1 = new QAction(QStringLiteral("&Transmit"), this);
    transmit1->setObjectName(QStringLiteral("ransmit1"));
    transmit1->setShortcut(Qt::Key_F3);
    connect(transmit1, &QAction::triggered, this, [this] { ActionTransmit(); });
    addAction(transmit1);
    outer->setMenuBar(menu);

    auto button = [this](const char *name, const char *caption, QWidget *parent) {
        auto *b = new QPushButton(QString::fromLatin1(caption), parent);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    m_playerPanel = new QFrame(this);
    m_playerPanel->setObjectName(QStringLiteral("PlayerPanel"));
    auto *pv = new QVBoxLayout(m_playerPanel);
    auto *buttons = new QHBoxLayout;
    m_btnRewind = button("btnRewind", "Re&wind", m_playerPanel);
    m_btnPlay = button("btnPlay", "&Play", m_playerPanel);
    m_btnPause = button("btnPause", "&Pause", m_playerPanel);
    m_btnStop = button("btnStop", "&Stop", m_playerPanel);
    m_btnRecord = button("btnRecord", "&Record", m_playerPanel);
    m_btnFFwd = button("btnFFwd", "&Forward", m_playerPanel);
    m_loadButton = button("LoadButton", "&Load", m_playerPanel);
    m_exitButton = button("exitButton", "E&xit", m_playerPanel);
    m_recordImage = new QLabel(QStringLiteral("\u25CF REC"), m_playerPanel);
    m_recordImage->setObjectName(QStringLiteral("RecordImage"));
    m_recordImage->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_btnRewind, m_btnPlay, m_btnPause, m_btnStop, m_btnRecord,
                                          m_btnFFwd, m_loadButton, m_recordImage, m_exitButton})
        buttons->addWidget(w);
    m_btnPause->hide();
    m_recordImage->hide();
    pv->addLayout(buttons);
    m_pbPlayBack = new QSlider(Qt::Horizontal, m_playerPanel);
    m_pbPlayBack->setObjectName(QStringLiteral("pbPlayBack"));
    m_pbPlayBack->setRange(0, 0);
    pv->addWidget(m_pbPlayBack);
    m_conversionPanel = new QFrame(m_playerPanel);
    m_conversionPanel->setObjectName(QStringLiteral("ConversionPanel"));
    auto *cv = new QHBoxLayout(m_conversionPanel);
    m_convertCaption = new QLabel(QStringLiteral("Converting to Common Format"), m_conversionPanel);
    m_convertCaption->setObjectName(QStringLiteral("Convertcaption"));
    m_convertProgressBar = new QProgressBar(m_conversionPanel);
    m_convertProgressBar->setObjectName(QStringLiteral("ConvertProgressBar"));
    m_convertProgressBar->setRange(0, 100);
    cv->addWidget(m_convertCaption);
    cv->addWidget(m_convertProgressBar, 1);
    m_conversionPanel->hide();
    pv->addWidget(m_conversionPanel);
    outer->addWidget(m_playerPanel);

    m_batchPanel = new QFrame(this);
    m_batchPanel->setObjectName(QStringLiteral("BatchPanel"));
    auto *bh = new QHBoxLayout(m_batchPanel);
    bh->addWidget(new QLabel(QStringLiteral("Batched Reports"), m_batchPanel));
    m_batchCombo = new QComboBox(m_batchPanel);
    m_batchCombo->setObjectName(QStringLiteral("BatchCombo"));
    bh->addWidget(m_batchCombo, 1);
    m_batchPanel->hide();
    outer->addWidget(m_batchPanel);

    m_reportDetailsPanel = new QFrame(this);
    m_reportDetailsPanel->setObjectName(QStringLiteral("ReportDetailsPanel"));
    auto *grid = new QGridLayout(m_reportDetailsPanel);
    auto edit = [this](const char *name) {
        auto *e = new QLineEdit(m_reportDetailsPanel);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    m_labReferenceEdit = edit("LabReferenceEdit");
    m_procedureCodeEdit = edit("ProcedureCodeEdit");
    m_audioDescriptionEdit = edit("AudioDescriptionEdit");
    m_authorListCombo = new QComboBox(m_reportDetailsPanel);
    m_authorListCombo->setObjectName(QStringLiteral("AuthorListCombo"));
    m_authorListCombo->setEditable(true);
    grid->addWidget(new QLabel(QStringLiteral("Lab Reference"), m_reportDetailsPanel), 0, 0);
    grid->addWidget(m_labReferenceEdit, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Procedure"), m_reportDetailsPanel), 0, 2);
    grid->addWidget(m_procedureCodeEdit, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Audio File Description"), m_reportDetailsPanel), 1, 0);
    grid->addWidget(m_audioDescriptionEdit, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Author"), m_reportDetailsPanel), 2, 0);
    grid->addWidget(m_authorListCombo, 2, 1);
    m_submitForRecogCheck =
        new QCheckBox(QStringLiteral("Submit For Recognition using Context:"), m_reportDetailsPanel);
    m_submitForRecogCheck->setObjectName(QStringLiteral("SubmitForRecogCheck"));
    m_contextLabel = new QLabel(m_reportDetailsPanel);
    m_contextLabel->setObjectName(QStringLiteral("ContextLabel"));
    grid->addWidget(m_submitForRecogCheck, 3, 0, 1, 2);
    grid->addWidget(m_contextLabel, 3, 2);
    m_transmitButton = button("TransmitButton", "&Transmit F3", m_reportDetailsPanel);
    m_transmitButton->setFocusPolicy(Qt::StrongFocus);
    grid->addWidget(m_transmitButton, 2, 3, 2, 1);
    auto *strip = new QFrame(m_reportDetailsPanel);
    strip->setObjectName(QStringLiteral("detailspanel"));
    auto *sh = new QHBoxLayout(strip);
    sh->setContentsMargins(0, 0, 0, 0);
    auto label = [strip, sh](const char *name) {
        auto *l = new QLabel(strip);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextFormat(Qt::PlainText);
        sh->addWidget(l);
        return l;
    };
    m_patientStatic = label("PATIENTStatic");
    m_drNameStatic = label("DrNameStatic");
    m_reqDateStatic = label("ReqDateStatic");
    m_procStatic = label("ProcStatic");
    m_requestStatic = label("RequestStatic");
    sh->addStretch(1);
    grid->addWidget(strip, 4, 0, 1, 4);
    outer->addWidget(m_reportDetailsPanel);

    m_textPanel = new QFrame(this);
    m_textPanel->setObjectName(QStringLiteral("TextPanel"));
    auto *tv = new QVBoxLayout(m_textPanel);
    m_correctWpText = new QTextEdit(m_textPanel);
    m_correctWpText->setObjectName(QStringLiteral("CorrectWpText"));
    m_correctWpText->setAcceptRichText(false);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Lucida Console"), QStringLiteral("DejaVu Sans Mono")});
    font.setPixelSize(13);
    m_correctWpText->setFont(font);
    m_correctWpText->setMinimumHeight(110);
    m_correctWpText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_correctWpText->viewport()->installEventFilter(this);
    m_correctWpText->installEventFilter(this);
    tv->addWidget(m_correctWpText);
    m_textPanel->hide();
    outer->addWidget(m_textPanel, 1);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setSizeGripEnabled(false);
    const int widths[3] = {120, 200, 50};
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i] = new QLabel(m_statusBar);
        m_statusPanels[i]->setMinimumWidth(widths[i]);
        m_statusPanels[i]->setTextFormat(Qt::PlainText);
        m_statusBar->addWidget(m_statusPanels[i], i == 2 ? 1 : 0);
    }
    outer->addWidget(m_statusBar);

    auto click = [this](QPushButton *b, auto handler) {
        connect(b, &QPushButton::clicked, this, [this, handler] { guarded(handler); });
    };
    click(m_btnRewind, [this] { btnRewindClick(m_btnRewind); });
    click(m_btnFFwd, [this] { btnRewindClick(m_btnFFwd); });
    click(m_btnPlay, [this] { DeAudioPlayPause(); });
    click(m_btnPause, [this] { DeAudioPlayPause(); });
    click(m_btnStop, [this] { btnStopClick(); });
    click(m_btnRecord, [this] { btnRecordClick(); });
    click(m_loadButton, [this] { LoadButtonClick(); });
    click(m_exitButton, [this] { exitButtonClick(); });
    click(m_transmitButton, [this] { TransmitButtonClick(); });
    connect(m_pbPlayBack, &QSlider::sliderPressed, this, [this] {
        if (playing())
            m_trackDragging = true;
    });
    connect(m_pbPlayBack, &QSlider::sliderReleased, this,
            [this] { guarded([this] { pbPlayBackReleased(); }); });
    connect(m_authorListCombo, &QComboBox::currentIndexChanged, this, [this] { AuthorListComboChange(); });
    connect(m_submitForRecogCheck, &QCheckBox::toggled, m_contextLabel, &QLabel::setEnabled);
    connect(m_labReferenceEdit, &QLineEdit::textChanged, this, [this] { EnableButtons(); });
    connect(m_batchCombo, &QComboBox::activated, this, [this] { guarded([this] { BatchComboChange(); }); });
    connect(m_correctWpText, &QTextEdit::textChanged, this, [this] { CorrectWpTextChange(); });
}

template <typename Handler> void TwpAudioForm::guarded(Handler &&handler) {
    try {
        handler();
    } catch (const std::exception &e) {
        DeviceActionFailed(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        DeviceActionFailed(QStringLiteral("The dictation player failed."));
    }
}

void TwpAudioForm::DeviceActionFailed(const QString &message) {
    m_messages.error(QStringLiteral("Quillory"), message);
    EnableButtons();
}

bool TwpAudioForm::failed(const QString &why) {
    DeviceActionFailed(why);
    return false;
}

bool TwpAudioForm::OpenAudioTask(const QByteArray &messageText) {
    guarded([this, &messageText] {
        m_taskOpen = true;
        m_noEscapeOnClose = false;
        m_escapeSent = false;
        AudioFilePositions() = {};
        m_playFromStartPending = true;
        if (!m_player)
            m_player = m_players();
        m_player->SetCurrentText(QString());
        m_player->SetPositionCallback(
            [this](PlaybackControl *, int start, int length) { OnPlaybackPosition(start, length); });
        if (QString why; !m_player->OpenFile(QString(), &why)) {
            DeviceActionFailed(why);
            return;
        }
        m_pbPlayBack->setRange(0, 0);
        m_correctWpText->clear();
        m_audioReceivedText.clear();
        m_audioFileName.clear();
        m_statusPanels[0]->clear();
        m_statusPanels[2]->setText(kNoAudioText);
        m_sentCorrection.clear();
        m_correctedReceivedText.clear();
        m_task.TaskText = messageText;
        m_task.ReadAudioTask();
        LoadWindowPosition();
        QString failure;
        if (!applyTask(false, failure)) {
            DeviceActionFailed(failure);
            return;
        }
        FormShow();
        QTimer::singleShot(0, this, [this] { guarded([this] { AfterOpenIdle(); }); });
        if (!failure.isEmpty())
            DeviceActionFailed(failure);
    });
    return true;
}

void TwpAudioForm::ReopenAudioTask() {
    guarded([this] {
        m_taskOpen = true;
        m_noEscapeOnClose = false;
        m_escapeSent = false;
        if (!m_player) {
            m_player = m_players();
            m_player->SetPositionCallback(
                [this](PlaybackControl *, int start, int length) { OnPlaybackPosition(start, length); });
        }
        QString failure;
        if (!applyTask(true, failure)) {
            DeviceActionFailed(failure);
            return;
        }
        if (m_audioTaskKind == "CORRECT" && !m_sentCorrection.isEmpty()) {
            m_audioReceivedText = m_correctedReceivedText;
            const QSignalBlocker block(m_correctWpText);
            m_correctWpText->setPlainText(m_sentCorrection);
            EnableButtons();
        }
        FormShow();
        if (!failure.isEmpty())
            DeviceActionFailed(failure);
    });
}

QString TwpAudioForm::newWorkFile(const QString &caption) const {
    QString error;
    const QString path = NewAudioWorkFile(m_workFolder, &error);
    if (path.isEmpty())
        m_messages.error(caption, QStringLiteral("No work file could be made for the audio.\r\n") + error);
    return path;
}

bool TwpAudioForm::applyTask(bool reopen, QString &failure) {
    setWindowFlag(Qt::WindowStaysOnTopHint, !value("ALWAYSONTOP").isEmpty());
    m_audioTaskKind = value("AUDIOTASK");
    const bool import = m_audioTaskKind == "IMPORT";
    m_labReferenceEdit->setText(import ? QString()
                                       : HostText::toUnicode(m_task.AudioReportRecord.GetReqCode()));
    m_labReferenceEdit->setEnabled(import);
    m_recordAllowed = m_audioTaskKind == "RECORD";
    m_procedureCodeEdit->setText(HostText::toUnicode(m_task.AudioReportRecord.GetProcCode()));
    m_audioDescriptionEdit->setText(HostText::toUnicode(value("AUDIODESCRIPTION")));

    m_audioAuthors.clear();
    ParseAuthorList(value("AUTHORLIST"), m_audioAuthors);
    {
        const QSignalBlocker block(m_authorListCombo);
        m_authorListCombo->clear();
        int selected = m_audioAuthors.isEmpty() ? -1 : 0;
        for (int i = 0; i < m_audioAuthors.size(); ++i) {
            m_authorListCombo->addItem(HostText::toUnicode(m_audioAuthors[i].DisplayName));
            if (m_audioAuthors[i].Default)
                selected = i;
        }
        m_authorListCombo->setCurrentIndex(selected);
    }
    AuthorListComboChange();

    m_audioBatches.clear();
    ParseBatchInfo(value("AUDIOBATCHINFO"), m_audioBatches);
    m_batchCombo->clear();
    for (const TAudioBATCHINFO &b : m_audioBatches)
        m_batchCombo->addItem(HostText::toUnicode(b.Name));
    m_batchPanel->setVisible(!m_audioBatches.isEmpty());
    if (!m_audioBatches.isEmpty())
        m_batchCombo->setCurrentIndex(0);

    if (!reopen || m_audioFileName.isEmpty()) {
        // One resolver for every host-named file: a bare name lies in the work folder, a mapped
        // share is only read, anything else is never touched.
        const TAudioFileRef ref = m_task.AudioFile();
        m_audioFileName = ref.usable() ? ref.path : FreeAudioWorkFile(m_workFolder);
    }
    ShowTaskText();

    const QByteArray info = value("PLAYBACKINFO");
    if (info.contains(']'))
        m_player->SetRecognisedText(HostText::toUnicode(info));
    if (!m_recordAllowed && fileExists()) {
        if (!m_player->OpenFile(QString(), &failure))
            return false;
        m_player->OpenFile(m_audioFileName, &failure);
    }
    bool ok = false;
    const int start = value("AUDIOSTARTPOS").trimmed().toInt(&ok);
    if (ok) {
        m_pbPlayBack->setMaximum(qMax(m_pbPlayBack->maximum(), m_player->Length()));
        m_pbPlayBack->setValue(clampToLength(start));
    }
    EnableButtons();
    ShowReportDetails();
    UpdateStatus();
    return true;
}

void TwpAudioForm::ShowTaskText() {
    const QByteArray corrected = value("CORRECTEDTEXT");
    const QByteArray recognised = value("RECOGNISEDTEXT");
    if (!corrected.isEmpty()) {
        m_audioReceivedText = AudioReceivedText(corrected);
        m_statusPanels[1]->setText(QStringLiteral("Corrected Text"));
    } else if (!recognised.isEmpty()) {
        m_audioReceivedText = AudioReceivedText(recognised);
        m_statusPanels[1]->setText(QStringLiteral("Recogniseded Text"));
    } else {
        m_audioReceivedText.clear();
        m_statusPanels[1]->setText(m_audioTaskKind == "RECORD"   ? QStringLiteral("Recording Audio")
                                   : m_audioTaskKind == "IMPORT" ? QStringLiteral("Importing Audio")
                                                                 : QString());
    }
    const QSignalBlocker block(m_correctWpText);
    m_correctWpText->setPlainText(m_audioReceivedText);
    m_correctWpText->moveCursor(QTextCursor::Start);
}

void TwpAudioForm::ShowReportDetails() {
    auto t = [this](const char *name) { return HostText::toUnicode(value(name)); };
    m_patientStatic->setText(t("PATTitle") + QLatin1Char(' ') + t("PatSur") + QStringLiteral(", ") +
                             t("PatGiven") + QLatin1Char(' ') + t("PatAdd1") + QLatin1Char(' ') +
                             t("PatAdd2") + QLatin1Char(' ') + t("PatAdd3") + QLatin1Char(' ') + t("PatPC") +
                             QStringLiteral("  "));
    m_reqDateStatic->setText(t("ServiceDate") + QStringLiteral("  "));
    m_procStatic->setText(t("ProcCode") + QStringLiteral("  "));
    m_requestStatic->setText(t("ReqCode") + QStringLiteral("  "));
    m_drNameStatic->setText(AudioDoctorLine(value("DOCTitle"), value("DOCGiven"), value("DOCSur")));
}

void TwpAudioForm::AfterOpenIdle() {
    if (!m_taskOpen)
        return;
    if (m_audioTaskKind == "IMPORT") {
        m_labReferenceEdit->setFocus();
    } else if (m_audioTaskKind != "PLAYBACK") {
        if (m_procedureCodeEdit->text().isEmpty())
            m_procedureCodeEdit->setFocus();
        else if (m_audioDescriptionEdit->text().isEmpty())
            m_audioDescriptionEdit->setFocus();
    }
    if (m_task.AudioReportRecord.GetReqCode() == "*" || m_audioTaskKind == "IMPORT")
        LoadButtonClick();
    const QByteArray heldBy = value("HELDBY");
    if (!heldBy.isEmpty())
        m_messages.warning(QStringLiteral("Correct Audio: Held by another user"),
                           QStringLiteral("Warning. This Audio file is being held by \r\n") +
                               HostText::toUnicode(heldBy));
}

void TwpAudioForm::FormShow() {
    m_batchPanel->setVisible(m_batchCombo->count() > 0);
    const QByteArray kind = m_audioTaskKind;
    if (!value("AUDIOBATCHINFO").isEmpty())
        setLayout(Layout::PlayerOnly);
    else if (kind == "RECORD" || kind == "IMPORT")
        setLayout(Layout::Details);
    else if (kind == "PLAYBACK")
        setLayout(value("RECOGNISEDTEXT").isEmpty() && value("CORRECTEDTEXT").isEmpty() ? Layout::PlayerOnly
                                                                                        : Layout::Full);
    else
        setLayout(Layout::Full);
}

void TwpAudioForm::setLayout(Layout layout) {
    m_reportDetailsPanel->setVisible(layout != Layout::PlayerOnly);
    m_textPanel->setVisible(layout == Layout::Full);
    m_playerOnly1->setChecked(layout == Layout::PlayerOnly);
    m_reportDetails1->setChecked(layout == Layout::Details);
    m_full1->setChecked(layout == Layout::Full);
    // The window shrinks to its lowest visible panel.
    if (layout != Layout::Full)
        QTimer::singleShot(0, this, [this] { resize(width(), minimumSizeHint().height()); });
    else if (height() < 420)
        resize(width(), 420);
}

bool TwpAudioForm::fileExists() const {
    if (m_audioFileName.isEmpty())
        return false;
    // Asked on every refresh and playback tick, of a file that may sit on a share: looked at in a
    // worker, and a file that did not answer is not waited for again until its share answers.
    const QString file = m_audioFileName;
    return FileWait::Watched(
               file, [file] { return QFileInfo(file).isFile(); }, ShareWaitMs)
        .value_or(false);
}

bool TwpAudioForm::playing() const {
    return m_player && m_player->Mode() == PlaybackControl::Playing;
}

bool TwpAudioForm::recording() const {
    return m_player && m_player->Mode() == PlaybackControl::Recording;
}

int TwpAudioForm::clampToLength(int ms) const {
    const int length = m_player ? m_player->Length() : 0;
    return qBound(0, ms, qMax(0, length));
}

void TwpAudioForm::EnableButtons() {
    TAudioButtonInput in;
    in.TaskKind = m_audioTaskKind;
    in.FileExists = fileExists();
    in.LabReferenceEmpty = m_labReferenceEdit->text().isEmpty();
    in.TextDiffers = m_correctWpText->toPlainText() != m_audioReceivedText;
    in.ReceivedEmpty = m_audioReceivedText.isEmpty();
    in.HeldBy = !value("HELDBY").isEmpty();
    in.Playing = playing();
    in.TransmitEnabled = m_transmitButton->isEnabled();
    const TAudioButtonState s = AudioButtonState(in);
    m_btnRecord->setEnabled(s.RecordEnabled && m_taskOpen);
    m_btnStop->setEnabled(true);
    m_btnPause->setVisible(s.PauseVisible);
    m_btnPlay->setVisible(!s.PauseVisible);
    m_btnPlay->setEnabled(s.PlayEnabled);
    m_btnRewind->setEnabled(s.StepEnabled);
    m_btnFFwd->setEnabled(s.StepEnabled);
    m_loadButton->setEnabled(s.LoadEnabled);
    m_reportDetailsPanel->setEnabled(s.DetailsEnabled);
    m_correctWpText->setEnabled(true);
    if (!s.TransmitCaption.isEmpty())
        m_transmitButton->setText(s.TransmitCaption);
    m_transmitButton->setEnabled(s.TransmitEnabled && m_taskOpen);
    if (m_audioTaskKind == "PLAYBACK")
        m_correctWpText->setReadOnly(false);
}

void TwpAudioForm::CorrectWpTextChange() {
    if (m_audioTaskKind == "CORRECT")
        m_transmitButton->setEnabled(m_correctWpText->toPlainText() != m_audioReceivedText &&
                                     !m_audioReceivedText.isEmpty() && value("HELDBY").isEmpty());
    else
        m_transmitButton->setEnabled(m_taskOpen);
}

void TwpAudioForm::UpdateStatus() {
    if (m_pbPlayBack->maximum() > 0)
        m_statusPanels[0]->setText(AudioPositionText(m_pbPlayBack->value(), m_pbPlayBack->maximum()));
    // The caption names the open task from the start: a task without audio yet must never show the
    // previous patient's reference.
    setWindowTitle(AudioFormCaption(m_task.AudioReportRecord.GetReqCode(),
                                    m_task.AudioReportRecord.GetProcCode(), value("AUDIODESCRIPTION"),
                                    value("AUDIOJOBNUMBER"),
                                    m_batchPanel->isVisible() ? m_batchCombo->currentText() : QString()));
    m_statusPanels[2]->setText(fileExists() ? m_audioFileName : kNoAudioText);
    const QByteArray heldBy = value("HELDBY");
    if (!heldBy.isEmpty())
        m_statusPanels[1]->setText(HostText::toUnicode(heldBy));
}

TwpAudioForm::PlayerFile TwpAudioForm::openPlayerFile() {
    if (!m_player)
        return PlayerFile::None;
    if (m_player->FileName().isEmpty()) {
        if (!fileExists())
            return PlayerFile::None;
        if (QString why; !m_player->OpenFile(m_audioFileName, &why)) {
            DeviceActionFailed(why);
            return PlayerFile::Failed;
        }
        m_playFromStartPending = true;
    }
    return PlayerFile::Open;
}

void TwpAudioForm::DeAudioPlayPause() {
    if (!m_player)
        return;
    QString why;
    if (playing() || recording()) {
        if (!m_player->Pause(&why)) {
            DeviceActionFailed(why);
            return;
        }
        AudioFilePositions().AudioFilePosEnd = m_pbPlayBack->value();
    } else if (const PlayerFile file = openPlayerFile(); file == PlayerFile::Failed) {
        return;
    } else if (file == PlayerFile::Open && !playFromTrack(m_btnPlay)) {
        return;
    }
    EnableButtons();
    UpdateStatus();
}

void TwpAudioForm::PlayBtn2Click(QObject *sender) {
    playFromTrack(sender);
}

bool TwpAudioForm::playFromTrack(QObject *sender) {
    if (!m_player)
        return true;
    if (const PlayerFile file = openPlayerFile(); file != PlayerFile::Open)
        return file == PlayerFile::None;
    m_player->SetCurrentText(m_correctWpText->toPlainText());
    bool ok = false;
    const int start = value("AUDIOSTARTPOS").trimmed().toInt(&ok);
    QString why;
    if (m_playFromStartPending && ok) {
        const int from = clampToLength(start);
        if (!m_player->Play(from, -1, &why))
            return failed(why);
        AudioFilePositions().AudioFilePosStart = from;
        m_playFromStartPending = false;
    } else if (sender == m_correctWpText && m_player->WordCount() > 0) {
        const int at = m_player->TimeOfTextPos(m_correctWpText->textCursor().position());
        const bool played =
            at >= 0 ? m_player->PlayFromTextPos(m_correctWpText->textCursor().position(), -1, &why)
                    : m_player->Play(clampToLength(m_pbPlayBack->value()), -1, &why);
        if (!played)
            return failed(why);
    } else if (!m_player->Play(clampToLength(m_pbPlayBack->value()), -1, &why)) {
        return failed(why);
    }
    m_correctWpText->setReadOnly(m_audioTaskKind == "CORRECT" && playing());
    EnableButtons();
    UpdateStatus();
    return true;
}

void TwpAudioForm::PlaybackPause() {
    if (!m_player)
        return;
    if (QString why; !m_player->Pause(&why)) {
        DeviceActionFailed(why);
        return;
    }
    EnableButtons();
}

void TwpAudioForm::btnRewindClick(QObject *sender) {
    if (openPlayerFile() != PlayerFile::Open)
        return;
    const int step = sender == m_btnFFwd ? kStepMs : -kStepMs;
    const int from = clampToLength(m_pbPlayBack->value() + step);
    // Stepping past the end leaves the player at the end rather than failing.
    if (QString why; from < m_player->Length() && !m_player->Play(from, -1, &why)) {
        DeviceActionFailed(why);
        return;
    }
    m_pbPlayBack->setValue(from);
    EnableButtons();
    UpdateStatus();
}

bool TwpAudioForm::ensureRecordingFile() {
    QString why;
    const QString open = m_player->FileName();
    if (!open.isEmpty() && isStandardFormat(open))
        return true;
    PrivateFile::makeFolder(m_workFolder);
    if (fileExists() && CanReadWaveFormat(m_audioFileName) && !isStandardFormat(m_audioFileName)) {
        // Recording works on the dictation format only: the host's audio is converted once into a
        // work file, which is then recorded over and sent; the host's own file stays as it came.
        const QString target = newWorkFile(QStringLiteral("Record Audio"));
        if (target.isEmpty())
            return false;
        if (!convertToStandard(m_audioFileName, target, QStringLiteral("Record Audio"),
                               QStringLiteral("The audio file could not be converted for recording:\r\n"))) {
            QFile::remove(target);
            return false;
        }
        if (!m_player->OpenFile(QString(), &why))
            return failed(why);
        m_audioFileName = target;
        return m_player->OpenFile(target, &why) || failed(why);
    }
    if (!open.isEmpty())
        return true;
    const TAudioFileRef ref = m_task.AudioFile();
    if (ref.kind == TAudioFileRef::Kind::Shared && m_audioFileName == ref.path) {
        // A shared file is only read: the recording goes to a copy in the work folder.
        const QString copy = newWorkFile(QStringLiteral("Record Audio"));
        if (copy.isEmpty())
            return false;
        QFile source(ref.path);
        if (source.open(QIODevice::ReadOnly) && !PrivateFile::save(copy, source.readAll(), &why))
            return failed(AudioText::NotWritten(copy, why));
        m_audioFileName = copy;
    }
    // Audio the host sent is recorded over, never replaced by an empty file.
    if (fileExists() && CanReadWaveFormat(m_audioFileName))
        return m_player->OpenFile(m_audioFileName, &why) || failed(why);
    // A new recording takes its name exclusively: a file that appeared there since the task opened
    // is another recording, which this one must not replace.
    if (!fileExists() && PrivateFile::reserve(m_audioFileName) == PrivateFile::Reserved::Taken) {
        const QString fresh = newWorkFile(QStringLiteral("Record Audio"));
        if (fresh.isEmpty())
            return false;
        m_audioFileName = fresh;
    }
    return m_player->CreateRecordingFile(m_audioFileName, &why) || failed(why);
}

void TwpAudioForm::btnRecordClick() {
    if (!m_player || !m_recordAllowed || !ensureRecordingFile())
        return;
    m_blink = 0;
    if (QString why; !m_player->Record(clampToLength(m_pbPlayBack->value()), -1, &why)) {
        DeviceActionFailed(why);
        return;
    }
    m_recordImage->show();
    UpdateStatus();
    EnableButtons();
}

void TwpAudioForm::btnStopClick() {
    stopAndAsk();
}

bool TwpAudioForm::stopAndAsk() {
    if (!m_player)
        return true;
    const bool wasRecording = recording();
    const int p = m_player->Position();
    const int l = m_player->Length();
    QString why;
    if ((playing() || wasRecording) && !m_player->Stop(&why))
        return failed(why);
    if (wasRecording && p != l && p < l) {
        const UserMessages::Answer answer =
            m_messages.ask(UserMessages::Buttons::YesNo, QStringLiteral("Finished Inserting Audio"),
                           AudioCutQuestion(l - p));
        if (answer == UserMessages::Answer::No && !m_player->DeleteRange(p, -1, &why))
            return failed(why);
    }
    m_recordImage->hide();
    UpdateStatus();
    EnableButtons();
    if (fileExists())
        m_statusPanels[2]->setText(m_audioFileName);
    return true;
}

void TwpAudioForm::pbPlayBackReleased() {
    if (!m_trackDragging)
        return;
    m_trackDragging = false;
    if (!m_player)
        return;
    if (QString why; !m_player->Play(clampToLength(m_pbPlayBack->value()), -1, &why)) {
        DeviceActionFailed(why);
        return;
    }
    EnableButtons();
    UpdateStatus();
}

void TwpAudioForm::OnPlaybackPosition(int textStart, int textLength) {
    if (textStart != m_lastSelStart || textLength != m_lastSelLength) {
        m_lastSelStart = textStart;
        m_lastSelLength = textLength;
        if (textLength != 0) {
            QTextCursor c = m_correctWpText->textCursor();
            c.setPosition(qBound(0, textStart, m_correctWpText->document()->characterCount() - 1));
            c.setPosition(
                qBound(0, textStart + textLength, m_correctWpText->document()->characterCount() - 1),
                QTextCursor::KeepAnchor);
            m_correctWpText->setTextCursor(c);
        }
    }
    if (!m_player)
        return;
    m_pbPlayBack->setMaximum(m_player->Length());
    if (!m_trackDragging)
        m_pbPlayBack->setValue(m_player->Position());
    m_correctWpText->setReadOnly(m_audioTaskKind == "CORRECT" && playing());
    if (recording()) {
        if (++m_blink >= 5) {
            m_blink = 0;
            m_recordImage->setVisible(!m_recordImage->isVisible());
        }
    }
    UpdateStatus();
    EnableButtons();
}

void TwpAudioForm::AuthorListComboChange() {
    m_submitForRecogCheck->setChecked(true);
    const int i = m_authorListCombo->currentIndex();
    if (i >= 0 && i < m_audioAuthors.size()) {
        const QByteArray context = m_audioAuthors[i].Context;
        m_contextLabel->setText(HostText::toUnicode(context));
        m_submitForRecogCheck->setEnabled(AudioContextAllowsRecognition(context));
    } else {
        m_contextLabel->clear();
        m_submitForRecogCheck->setEnabled(false);
    }
}

void TwpAudioForm::BatchComboChange() {
    m_playFromStartPending = false;
    const int i = m_batchCombo->currentIndex();
    if (i < 0 || i >= m_audioBatches.size())
        return;
    ActionStop();
    m_pbPlayBack->setValue(clampToLength(m_audioBatches[i].Start));
    ActionPlayPause();
}

bool TwpAudioForm::ConversionProgress(int, int percent) {
    m_convertProgressBar->setValue(percent);
    if (percent % 10 == 0) {
        m_convertCaption->setText(QStringLiteral("Convert to Standart Format") +
                                  QString(m_convertDots, QLatin1Char('.')));
        m_convertDots = (m_convertDots + 1) % 4;
        repaint();
    }
    return true;
}

bool TwpAudioForm::convertToStandard(const QString &source, const QString &target, const QString &caption,
                                     const QString &failure) {
    TdeWaveFormat standard;
    if (!FindAcmFormat(QStringLiteral("GSM 6.10"), QStringLiteral("22.050 kHz, Mono"), standard) ||
        standard.FormatTag() == 0) {
        m_messages.error(caption, QStringLiteral("The standard dictation format is not available."));
        return false;
    }
    QString why;
    {
        const WaitCursor wait;
        m_pbPlayBack->hide();
        m_conversionPanel->show();
        m_convertDots = 0;
        struct Restore {
            TwpAudioForm *form;
            ~Restore() {
                form->m_conversionPanel->hide();
                form->m_pbPlayBack->show();
            }
        } restore{this};
        if (ConvertAudioFile(
                source, target, standard,
                [this](int stage, int percent) { return ConversionProgress(stage, percent); }, &why))
            return true;
    }
    m_messages.error(caption, failure + source + QStringLiteral("\r\n") + why);
    QFile::remove(target);
    return false;
}

bool TwpAudioForm::importFile(const QString &chosen, QString &target) {
    const QString caption = QStringLiteral("Import Audio");
    const QString failure = QStringLiteral("The audio file could not be imported:\r\n");
    TdeWaveFormat format;
    bool isMpeg = false;
    const bool readable = ReadWaveFileFormat(chosen, format, isMpeg);
    // The chosen file as it is; the reason in `why` when it cannot be copied.
    auto copy = [&](QString &why) {
        QFile source(chosen);
        if (!source.open(QIODevice::ReadOnly)) {
            why = source.errorString();
            return false;
        }
        const QByteArray data = source.readAll();
        if (source.error() != QFileDevice::NoError) {
            why = source.errorString();
            return false;
        }
        if (!PrivateFile::save(target, data, &why)) {
            why = AudioText::NotWritten(target, why);
            return false;
        }
        return true;
    };
    // What cannot be read is sent as it is, and what is already in the dictation format too.
    if (!readable || (!isMpeg && isStandardFormat(chosen))) {
        if (QString why; !copy(why)) {
            m_messages.error(caption, failure + chosen + QStringLiteral("\r\n") + why);
            QFile::remove(target);
            return false;
        }
        return true;
    }
    return convertToStandard(chosen, target, caption, failure);
}

void TwpAudioForm::LoadButtonClick() {
    const QString chosen = m_messages.openFileName(QStringLiteral("Load Audio"), m_workFolder,
                                                   QStringLiteral("Sound Files (*.wav *.mp3 *.WAV *.MP3)"));
    if (chosen.isEmpty())
        return;
    m_playFromStartPending = false;
    AudioFilePositions() = {};
    // The import always works on a copy: the user's own file is never recorded over or sent.
    // It goes to a name of its own: an import never replaces an earlier recording.
    QString target = newWorkFile(QStringLiteral("Import Audio"));
    if (target.isEmpty())
        return;
    if (!importFile(chosen, target)) {
        QFile::remove(target);
        return;
    }
    if (QString why; m_player && !m_player->OpenFile(QString(), &why)) {
        DeviceActionFailed(why);
        return;
    }
    m_task.AudioReportRecord.SetValue("AUDIOFILE", QFileInfo(target).fileName().toLatin1());
    m_audioFileName = target;
    EnableButtons();
    UpdateStatus();
}

void TwpAudioForm::TransmitButtonClick() {
    if (!m_taskOpen)
        return;
    if (m_labReferenceEdit->text().isEmpty()) {
        m_labReferenceEdit->setEnabled(true);
        m_labReferenceEdit->setFocus();
        QApplication::beep();
        return;
    }
    if (m_authorListCombo->currentText().isEmpty() &&
        !m_messages.yesNo(
            QStringLiteral("Audio File Transmit: No Author specified"),
            QStringLiteral("Are you sure you want to transmit without \r\n specifying an Author?"))) {
        m_authorListCombo->setFocus();
        return;
    }
    if (!AudioHostSend)
        return;
    const bool correct = m_audioTaskKind == "CORRECT";
    if (!correct && !fileExists())
        return;
    // A recording still running is ended (and saved) before it is sent.
    if (recording() && !stopAndAsk())
        return;
    TReportRecord &r = m_task.AudioReportRecord;
    r.SetValue("ReqCode", HostText::userText(HostText::fromUnicode(m_labReferenceEdit->text().trimmed())));
    if (!m_procedureCodeEdit->text().isEmpty())
        r.SetValue("ProcCode", HostText::userText(HostText::fromUnicode(m_procedureCodeEdit->text())));
    if (r.GetProcCode().isEmpty())
        r.SetValue("ProcCode", "UNKNOWN");
    r.SetValue("AUDIODESCRIPTION", HostText::userText(HostText::fromUnicode(m_audioDescriptionEdit->text())));
    const int author = m_authorListCombo->currentIndex();
    if (author >= 0 && author < m_audioAuthors.size() &&
        m_authorListCombo->currentText() == HostText::toUnicode(m_audioAuthors[author].DisplayName)) {
        const TAudioAuthor &a = m_audioAuthors[author];
        r.SetValue("AUTHOR", a.FirstCode + ';' + a.DisplayName + ';' + a.SecondCode);
        r.SetValue("CONTEXT",
                   m_submitForRecogCheck->isChecked() ? a.Context : QByteArray("Not For Recognition"));
    } else {
        r.SetValue("AUTHOR",
                   ';' + HostText::userText(HostText::fromUnicode(m_authorListCombo->currentText())) + ';');
        r.SetValue("CONTEXT", "Not For Recognition");
    }
    QString audioFile = m_audioFileName;
    if (correct) {
        r.SetValue("AUDIOFILE", QByteArray());
        audioFile.clear();
        r.SetValue("CORRECTEDTEXT", AudioCorrectedText(m_correctWpText->toPlainText()));
    } else if (QString why; m_recordAllowed && m_player && !m_player->FileName().isEmpty() &&
                            !m_player->SaveRecording(&why)) {
        DeviceActionFailed(why);
        return;
    }
    // The format of the audio actually sent, not of an earlier task's import.
    m_audioFormatText =
        audioFile.isEmpty() || !isStandardFormat(audioFile) ? QByteArray() : kStandardFormatText;
    r.SetValue("AUDIOFORMAT", m_audioFormatText);
    if (QString why; m_player && (playing() || recording()) && !m_player->Stop(&why)) {
        DeviceActionFailed(why);
        return;
    }
    bool sent = false;
    {
        // Building the upload reads and encodes the whole recording.
        const WaitCursor wait;
        sent = AudioHostSend.Transmit(m_task, audioFile);
    }
    if (!sent)
        return; // refused: the task stays open, and closing it sends the ESC
    m_noEscapeOnClose = true;
    if (correct) {
        m_audioFileName.clear();
        m_sentCorrection = m_correctWpText->toPlainText();
        m_correctedReceivedText = m_audioReceivedText;
    }
    const QSignalBlocker block(m_correctWpText);
    m_correctWpText->clear();
    m_audioReceivedText.clear();
}

void TwpAudioForm::exitButtonClick() {
    setWindowTitle(QStringLiteral("Quillory:"));
    close();
}

void TwpAudioForm::closeEvent(QCloseEvent *event) {
    if (m_taskOpen) {
        SaveWindowPosition();
        if (value("DONTESCAPE") == "1")
            m_noEscapeOnClose = true;
        FormClose();
    }
    event->accept();
}

void TwpAudioForm::FormClose() {
    // Once per task, however the window closes (and re-entered through its own hide).
    if (m_closing || !m_taskOpen)
        return;
    m_closing = true;
    m_taskOpen = false;
    // A failure here is not told: the ESC and the release of the player still happen.
    if (m_player && ((!playing() && !recording()) || m_player->Stop()))
        m_player->OpenFile(QString());
    if (!m_noEscapeOnClose && !m_escapeSent && AudioHostSend) {
        m_escapeSent = true;
        AudioHostSend.Escape();
    }
    m_player.reset();
    m_closing = false;
}

bool TwpAudioForm::DeviceActionsAllowed() const {
    return isVisible() && m_taskOpen && m_player;
}

void TwpAudioForm::ActionQuit() {
    if (DeviceActionsAllowed())
        close();
}

void TwpAudioForm::ActionLoad() {
    if (DeviceActionsAllowed() && m_loadButton->isEnabled())
        guarded([this] { LoadButtonClick(); });
}

void TwpAudioForm::ActionTransmit() {
    if (DeviceActionsAllowed() && m_transmitButton->isEnabled())
        guarded([this] { TransmitButtonClick(); });
}

void TwpAudioForm::ActionRecord() {
    if (DeviceActionsAllowed() && m_btnRecord->isEnabled())
        guarded([this] { btnRecordClick(); });
}

void TwpAudioForm::ActionPlayPause() {
    if (DeviceActionsAllowed())
        guarded([this] { DeAudioPlayPause(); });
}

void TwpAudioForm::ActionForward() {
    if (DeviceActionsAllowed() && m_btnFFwd->isEnabled())
        guarded([this] { btnRewindClick(m_btnFFwd); });
}

void TwpAudioForm::ActionRewind() {
    if (DeviceActionsAllowed() && m_btnRewind->isEnabled())
        guarded([this] { btnRewindClick(m_btnRewind); });
}

void TwpAudioForm::ActionStop() {
    if (DeviceActionsAllowed() && m_btnStop->isEnabled())
        guarded([this] { btnStopClick(); });
}

bool TwpAudioForm::PlayFrom(int milliseconds) {
    if (!DeviceActionsAllowed())
        return false;
    bool done = false;
    guarded([this, milliseconds, &done] {
        if (openPlayerFile() != PlayerFile::Open)
            return;
        m_pbPlayBack->setMaximum(qMax(m_pbPlayBack->maximum(), m_player->Length()));
        const int from = clampToLength(milliseconds);
        m_pbPlayBack->setValue(from);
        m_playFromStartPending = false;
        if (QString why; !m_player->Play(from, -1, &why)) {
            DeviceActionFailed(why);
            return;
        }
        EnableButtons();
        UpdateStatus();
        done = true;
    });
    return done;
}

int TwpAudioForm::GetTimePosBySelPos(int position) const {
    if (!m_player)
        return -1;
    return m_player->TimeOfTextPos(position);
}

void TwpAudioForm::CorrectWpTextDblClick() {
    if (openPlayerFile() != PlayerFile::Open)
        return;
    if (QString why; playing()) {
        if (!m_player->Pause(&why)) {
            DeviceActionFailed(why);
            return;
        }
    } else if (!playFromTrack(m_correctWpText)) {
        return;
    }
    EnableButtons();
}

void TwpAudioForm::CorrectWpTextKey(int key) {
    switch (m_keys.KeyUp(key, playing())) {
    case TAudioKeyCounter::Action::PlayPause:
        DeAudioPlayPause();
        break;
    case TAudioKeyCounter::Action::StepBack:
        btnRewindClick(m_btnRewind);
        break;
    case TAudioKeyCounter::Action::Stop:
        if (QString why; !m_player->Stop(&why)) {
            DeviceActionFailed(why);
            return;
        }
        EnableButtons();
        break;
    case TAudioKeyCounter::Action::None:
        break;
    }
}

bool TwpAudioForm::eventFilter(QObject *watched, QEvent *event) {
    if (!m_taskOpen || !m_player)
        return QWidget::eventFilter(watched, event);
    if (watched == m_correctWpText->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            QTimer::singleShot(0, this, [this] { guarded([this] { CorrectWpTextDblClick(); }); });
        else if (event->type() == QEvent::MouseButtonPress &&
                 static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && playing())
            guarded([this] { PlaybackPause(); });
    } else if (watched == m_correctWpText && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!key->isAutoRepeat()) {
            const int code = key->key();
            guarded([this, code] { CorrectWpTextKey(code); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TwpAudioForm::LoadWindowPosition() {
    const TRegistry reg(kOrvaSettingsKey);
    bool topOk = false;
    bool leftOk = false;
    const int top = reg.ReadString(QStringLiteral("AUDIOtop")).toInt(&topOk);
    const int left = reg.ReadString(QStringLiteral("AUDIOLeft")).toInt(&leftOk);
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = frameGeometry().size().expandedTo(sizeHint());
    QPoint place((screen->geometry().width() - size.width()) / 2,
                 (screen->geometry().height() - size.height()) / 2);
    if (topOk && leftOk) {
        // A saved place on a screen that is no longer there would hide the window.
        const QPoint saved(left, top);
        QScreen *on = QGuiApplication::screenAt(saved);
        const QRect area = (on ? on : screen)->availableGeometry();
        place = QPoint(qBound(area.left(), left, qMax(area.left(), area.right() - size.width())),
                       qBound(area.top(), top, qMax(area.top(), area.bottom() - size.height())));
    }
    move(place);
}

void TwpAudioForm::SaveWindowPosition() {
    TRegistry reg(kOrvaSettingsKey);
    reg.WriteString(QStringLiteral("AUDIOLeft"), QString::number(x()));
    reg.WriteString(QStringLiteral("AUDIOtop"), QString::number(y()));
    reg.Flush();
}
