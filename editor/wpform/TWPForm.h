// The results word processor: one window that loads each report message into its document (the
// letterhead, then a recovery copy, host markup, a stored document or a template), places the
// picture boxes, fills the patient strip and starts uploads of finished reports.
#pragma once

#include "common/FileWait.h"
#include "common/UserMessages.h"
#include "editor/report/HostMarkup.h"
#include "editor/report/HostRequests.h"
#include "editor/report/HostUpload.h"
#include "editor/report/TReportRecord.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QKeySequence>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "editor/wpform/DictationList.h"
#include "editor/wpform/EditorCommands.h"

class QAction;
class QActionGroup;
class QKeyEvent;
class QMenu;
class QPagedPaintDevice;
class QToolBar;
class QBoxLayout;
class QPlainTextEdit;
class QPushButton;
class TSpellForm;
class QLabel;
class QProgressBar;
class QListWidget;
class QSplitter;
class QToolButton;
namespace orva::richtext {
class TWpButtonBar;
class TWpRuler;
class TWpStatusBar;
class TWpTextControl;
} // namespace orva::richtext

struct EditorFolders {
    QString TemplateDirectory;
    QString AbbreviationDirectory;
    QString ResultDirectory;  // the work folder
    QString ProgramDirectory; // holds "tags.txt"
    // Warn about pictures that are not network resources.
    bool ShowWarnings = true;
    // The user's own word list ("autocorrect.txt" lies beside it).
    QString CustomDictionary;
    // Shown by About.
    QString PrimaryHost;
    QString ConfigurationFile;
};

// Zoom that fits the page (794 pixels) into a panel, less two scroll bars, within 10-500 %.
int FitWidthZoom(int panelWidth, int scrollBarExtent);
// Width of the word-processor control at a zoom: the page plus 20 pixels.
int ControlWidthForZoom(double zoom);
// Left edge of that control in its panel: centred, and 10 pixels further left for a percentage
// zoom; never left of the panel.
int ControlLeftForZoom(int panelWidth, int controlWidth, int zoomSetting);

class TWPForm : public QWidget {
    Q_OBJECT
public:
    // Zoom settings besides a percentage.
    static constexpr int ZoomPageWidth = -1;
    static constexpr int ZoomCentred90 = -2;
    // The patient strip while templates are edited and none is open.
    static inline const QString NoTemplateText = QStringLiteral("TEMPLATE EDITING - No Template Loaded.");

    TWPForm(const EditorFolders &folders, HostSendQueue *queue, UserMessages &messages,
            QWidget *parent = nullptr);
    ~TWPForm() override;

    bool LoadReport();
    // "Recover Last": the report is loaded again with the recovery copy as its body.
    bool RecoverLast(const QString &recoveryFile);
    void SetZoom(int zoom);
    // Starts the upload of the finished report text; the outgoing copy is the work document + ".tmp".
    ReportUploadResult ReturnReport(const QByteArray &text);

    // Returns the report (changed and not abandoned) or tells the host nothing comes back (one ESC);
    // then the editor is emptied and hidden and ReportFinished follows. While another upload is
    // under way nothing is sent and the report stays. A report whose upload did not start (the link
    // is down) stays in the editor with its changes.
    void FinishReport();
    // The last-report, outgoing and recovery copies (a report), or the template (template editing);
    // a failure offers one more attempt.
    bool SaveReportFiles();
    // ESC and Exit: with changes asks whether to abandon them; Yes abandons, No returns the report.
    void LeaveReport();
    // Asks the host for a dictation entry's audio; false when nothing was sent (link down, or an
    // upload under way).
    bool SendAudioCommand(const QByteArray &entryName, const QByteArray &command);
    // Asks the host for an abbreviation and waits for its answer (at most LookupRounds rounds of
    // LookupRoundMs) with the editor's input blocked; the host's events go on meanwhile. Gives
    // abbreviation "=" answer, or empty (no host list, no link, no answer, "!!NOT FOUND!!", or a new
    // report loaded meanwhile).
    QByteArray LookupHostAbbreviation(const QByteArray &abbreviation);
    // F2: the word before the caret from the host list, the active list or the host look-up.
    void ExpandAbbreviation(bool fromKeyboard);
    // Abbreviation markup at the caret, in the caret's font, colour and size.
    void InsertAbbreviationText(const QByteArray &markup);
    // Adds the selection to the active list: 1 plain text, 2 abbreviation markup, 3 a formatted entry.
    void Addabbreviation1Click(int tag);
    // The selection in abbreviation markup.
    QByteArray SelectionAsAbbreviationMarkup() const;
    // Commands of the menus and buttons that carry decisions of their own.
    void ClearText();
    void InsertSymbol(int code);
    void InsertCursorStartMarker();
    // Asks rows and columns (Cancel gives up) and inserts the table.
    bool InsertTableAsked();
    bool InsertPictureFile(const QString &path);
    // Every page as a print job of its own; false when a page did not print or nothing was chosen.
    bool PrintReport();
    bool OpenTemplate(const QString &path);
    bool SaveTemplateAs(const QString &path);
    bool LoadAbbreviationFile(const QString &path);
    void CloseTemplate();
    void ExitEditor();
    void AboutBox();
    // Checks the main text (from the selection when there is one); the dialog is shown only when a
    // word needs the user, modal unless SetShowSpellForm installed another way to show it.
    void SpellCheckButtonClick();
    // The menu the right mouse button shows at a point of the document.
    QMenu *ContextMenuFor(const QPoint &viewportPos);
    // The dictation panel: play the selected entry, insert its text, or a placeholder for a new one.
    bool PlaySelectedDictation();
    bool BtnInsTextClick();
    bool InsertAudioPlaceholder();
    // Keys of the report's editing area: F10 returns (saves the template in template editing), ESC
    // leaves, F2 expands.
    void ResultBoxKeyDown(int &key, Qt::KeyboardModifiers shift);
    // The host failed or lost the upload: the last saved copy is loaded again, shown and flagged as
    // changed, so that the user returns it again. False (the editor untouched) when there is none.
    bool ReloadLastReport();
    // The recovery copy of the open report: "recover." + request and procedure code + ".txc".
    QString RecoveryFilePath() const;
    // The report's editing area, for what works on the document beside the editor.
    orva::richtext::TWpTextControl *ResultBox() const { return m_resultBox; }

    // The report message the host sent; LoadReport reads it.
    const QByteArray &ReceivedReportText() const { return m_receivedReportText; }
    void SetReceivedReportText(const QByteArray &message) { m_receivedReportText = message; }
    const TReportRecord &ReportRecord() const { return m_reportRecord; }
    // A message without a request code opens the templates for editing instead of a report.
    bool TemplateEditing() const { return m_templateEditing; }
    // "Recover Last" asked for the recovery copy as the body of the next load.
    bool RecoverPending() const { return m_recoverPending; }
    // Leaving sends one ESC rather than the report.
    bool AbandonReport() const { return m_abandonReport; }
    // The document differs from what was loaded or last saved.
    bool ReportChanged() const { return m_reportChanged; }
    void SetReportChanged(bool changed) { m_reportChanged = changed; }
    // The open report's work document; empty in template editing.
    const QString &WorkDocumentName() const { return m_workDocumentName; }
    // The active abbreviation list ("name=text" lines).
    const QByteArrayList &AbbreviationList() const { return m_abbreviationList; }
    // The report's pictures: those of the message and those the user inserted.
    const TImageRecordArray &PictureList() const { return m_pictureList; }
    // The last-report copy: named at the first save of the run and kept for the rest of it.
    const QString &LastReportFileName() const { return m_lastReportFileName; }
    // The template open in template editing (set by Open and Save As); empty: none loaded.
    const QString &TemplateFileName() const { return m_templateFileName; }
    void SetTemplateFileName(const QString &file) { m_templateFileName = file; }
    // The report's dictations, as the dictation panel lists them.
    const TAudioTextRecords &AudioRecords() const { return m_audioRecords; }
    // Names of the dictation entries typed into the report, returned on a "KX_AUDIOTYPED" line.
    QByteArrayList TypedDictationEntries() const;
    // Tables of the document, from the control's events.
    const TTableList &TableList() const { return m_tableList; }
    // The host's abbreviation list, installed by the main window.
    void SetHostAbbreviations(const THostAbbreviationAccess &access) { m_hostAbbreviations = access; }
    // The look-up's bound: rounds of a wait each.
    void SetLookupRounds(int rounds) { m_lookupRounds = rounds; }
    void SetLookupRoundMs(int ms) { m_lookupRoundMs = ms; }
    // How long a picture file may take to answer (a hung share) before it is taken as missing.
    void SetPictureWaitMs(int ms) { m_pictureWaitMs = ms; }

    // Calls out to what the editor does not own, each installed in its one place here.
    using PrintJobFactory = std::function<std::unique_ptr<QPagedPaintDevice>(int page)>;
    // A new print job for a page; empty: the print dialog chooses the printer.
    void SetNewPrintJob(PrintJobFactory newPrintJob) { m_newPrintJob = std::move(newPrintJob); }
    // Runs the spelling dialog when a word needs the user (modal when not installed).
    void SetShowSpellForm(std::function<void(TSpellForm *)> show) { m_showSpellForm = std::move(show); }
    // Merges the fields of a part of the document (1 header, 4 footer, 16 main text); false on
    // failure. The editor's own merge unless replaced.
    void SetMergeFields(std::function<bool(int part)> merge) { m_mergeFields = std::move(merge); }
    // The main window's image view shown on a picture of a message box or one the user inserts.
    void SetShowInImageControl(std::function<void(const QString &file)> show) {
        m_showInImageControl = std::move(show);
    }
    // Pixel size of a picture file the user inserts (an invalid size when it cannot be read).
    void SetMeasurePicture(std::function<QSize(const QString &file)> measure) {
        m_measurePicture = std::move(measure);
    }
    // The dictation window's audio times (ms) of a part of a job's text; false when it does not hold
    // that job. Installed with the dictation window.
    using DictationTimesLookup =
        std::function<bool(const QByteArray &job, int selStart, int selEnd, int &startMs, int &endMs)>;
    void SetDictationTimes(DictationTimesLookup times) { m_dictationTimes = std::move(times); }

signals:
    // The report was returned or abandoned and the editor hidden: the main window takes over.
    void ReportFinished();
    // The dictation window's report of new text for an entry (name, text, status code).
    void AudioStatusChanged(const QByteArray &name, const QByteArray &text, int code);

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    void FormCreate();
    void placeResultBox();
    // F10 and ESC wherever the focus is in the window: return, and leave (or save a template).
    void returnKey();
    void foldDictationPanel(bool fold);
    // The caret in the document, so that the user types into the report at once.
    void focusDocument();
    bool mergeFields(int part);
    bool saveAbbreviationList(QString *error);
    void expandChosenAbbreviation();
    void deleteChosenAbbreviation();
    bool abbreviationListKey(QKeyEvent *e);
    bool writeListFile(const QString &path, const QByteArrayList &lines, QString *error);
    void refreshAbbreviationListBox();
    void loadAbbreviationsFor(const QByteArray &code);
    QAction *command(QMenu *menu, const char *name, const QString &text, const std::function<void()> &run,
                     const QKeySequence &shortcut = {});
    void createCommands(QToolBar *bar);
    void createDictationPanel(QSplitter *splitter);
    void showDictationList(bool show);
    void dictationStatusChanged(const QByteArray &name, const QByteArray &text, int code);
    void redrawDictationList(int row);
    void showSelectedDictation();
    void fillDictationPlaceholders();
    void updateFileMenu();
    void updateEditMenu();
    void updateInsertMenu();
    void updateAbbreviationMenu();
    void updateDateItems();
    void scriptStep(bool up);
    bool isNetworkPicture(const QString &path) const;
    void insertPictureDialog();
    bool printPages(int pages, const PrintJobFactory &newPrintJob);
    void openTemplateDialog();
    void saveTemplateAsDialog();
    void loadAbbreviationFileDialog();
    void showAbbreviationList();
    void writeRegistry(bool options);
    bool fieldKey(int key, Qt::KeyboardModifiers shift);
    void readRegistry();
    void loadAbbreviationIndex(bool reporting);
    void loadTags();
    bool templateEditing();
    bool decodeStoredDocument();
    void loadLetterhead();
    int scanStoredPictures(const QString &file);
    void fillPatientStrip();
    void placePictures();
    void placeCaret();
    void loadAbbreviations();
    void writeLastMessage();
    void showSaveButtons(bool show);
    QString templatePath(const QByteArray &name, const char *suffix) const;
    bool uploadInProgress();
    void sendEscape();
    void resetAfterFinish();
    void keepReport();
    void showProgressPanel(bool show);
    MarkupProgress conversionProgress();
    bool writeReportCopies();
    bool saveTemplate();
    // A failed save offers one more attempt; the document stays marked as changed either way.
    bool saveOrAsk(const QString &caption, const std::function<bool()> &save);
    QByteArray value(const char *name) const { return m_reportRecord.GetValue(name); }

    QByteArray m_receivedReportText;
    TReportRecord m_reportRecord;
    bool m_templateEditing = false;
    bool m_recoverPending = false;
    QString m_recoveryFileName;
    bool m_abandonReport = true;
    bool m_reportChanged = false;
    QString m_workDocumentName;
    QByteArrayList m_tagList;
    QByteArrayList m_abbreviationIndex;
    QByteArrayList m_abbreviationList;
    TImageRecordArray m_pictureList;
    int m_zoomSetting = 100;
    bool m_fitToWidth = false;
    QString m_lastReportFileName;
    QString m_templateFileName;
    THostAbbreviationAccess m_hostAbbreviations;
    // The main dictionary of the spelling check (hunspell files without ".aff"/".dic").
    QString m_spellDictionary = QStringLiteral("/usr/share/hunspell/en_GB");
    TAudioTextRecords m_audioRecords;
    TTableList m_tableList;
    int m_lookupRounds = 201;
    int m_lookupRoundMs = 100;
    int m_pictureWaitMs = FileWait::kDefaultMs;
    PrintJobFactory m_newPrintJob;
    std::function<void(TSpellForm *)> m_showSpellForm;
    std::function<bool(int part)> m_mergeFields;
    std::function<void(const QString &file)> m_showInImageControl;
    std::function<QSize(const QString &file)> m_measurePicture;
    DictationTimesLookup m_dictationTimes;

    // The dictation panel (object names "TreePanel", "lvAudioRecs", "TextMemo", "sbPlayAudio",
    // "BtnInsText").
    QWidget *m_treePanel = nullptr;
    QListWidget *m_lvAudioRecs = nullptr;
    QPlainTextEdit *m_textMemo = nullptr;
    QPushButton *m_sbPlayAudio = nullptr, *m_btnInsText = nullptr;
    // Folds the dictation panel to its narrowest (">>") and opens it again ("<< Audio Files").
    QToolButton *m_audioFilesLabel = nullptr;
    // Between the dictation panel and the document: dragging it sizes the panel.
    QSplitter *m_splitter1 = nullptr;
    orva::richtext::TWpTextControl *m_resultBox = nullptr;
    orva::richtext::TWpButtonBar *m_wpButtonBar = nullptr;
    orva::richtext::TWpRuler *m_wpRuler = nullptr;
    orva::richtext::TWpStatusBar *m_wpStatus = nullptr;
    QWidget *m_resultPanel = nullptr;
    // The patient strip ("detailspanel") and its labels.
    QWidget *m_detailsPanel = nullptr;
    QLabel *m_patientStatic = nullptr, *m_reqDateStatic = nullptr, *m_procStatic = nullptr,
           *m_requestStatic = nullptr, *m_drNameStatic = nullptr;
    QAction *m_save1 = nullptr, *m_saveAs1 = nullptr;
    EditorFolders m_folders;
    HostSendQueue *m_queue;
    UserMessages &m_messages;
    QString m_lastError;
    // The tool buttons of m_save1 and m_saveAs1 (object names "ToolButton14" and "saveasbutton") and
    // the abbreviation list shown beside the document ("abrevlistbox").
    QToolButton *m_saveButton = nullptr;
    QToolButton *m_saveAsButton = nullptr;
    QListWidget *m_abbreviationListBox = nullptr;
    QAction *m_openAction = nullptr, *m_recoverAction = nullptr, *m_cutAction = nullptr,
            *m_pasteAction = nullptr, *m_deleteFieldAction = nullptr, *m_cursorMarkAction = nullptr;
    QList<QAction *> m_addAbbreviationActions;
    QMenu *m_tablePopup = nullptr, *m_editorMenu = nullptr;
    // The zoom menu's items: the current zoom is checked.
    QActionGroup *m_zoomActions = nullptr;
    // The dictation panel's list, text and buttons (hidden while it is folded), and its width
    // before it was folded.
    QWidget *m_dictationBody = nullptr;
    int m_unfoldedPanelWidth = 0;
    QLabel *m_statusHint = nullptr;
    TSpellForm *m_spellForm = nullptr;
    // The active abbreviation list's file (its formatted entries lie beside it).
    QString m_abbreviationFile;
    // "Document Creation" shown while the report is converted and saved.
    QWidget *m_progressPanel = nullptr;
    QProgressBar *m_progressBar = nullptr;
    // Counts loads and finishes: a look-up answer is used only in the document it was asked for.
    quint64 m_generation = 0;
    bool m_lookupActive = false;
    bool m_finishing = false;
    // A report is open and the host waits for its answer (the upload or one ESC).
    bool m_reportOpen = false;
};
