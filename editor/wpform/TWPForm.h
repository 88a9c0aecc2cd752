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
    // word needs the user. `showDialog` runs it (modal by default).
    void SpellCheckButtonClick();
    std::function<void(TSpellForm *)> ShowSpellForm;
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

    QByteArray ReceivedReportText;
    TReportRecord ReportRecord;
    bool TemplateEditing = false;
    bool RecoverPending = false;
    QString RecoveryFileName;
    bool AbandonReport = true;
    bool ReportChanged = false;
    QString WorkDocumentName;
    QByteArrayList TagList;
    QByteArrayList AbbreviationIndex;
    QByteArrayList AbbreviationList;
    TImageRecordArray PictureList;
    int ZoomSetting = 100;
    bool FitToWidth = false;
    // The last-report copy: named at the first save of the run and kept for the rest of it.
    QString LastReportFileName;
    // The template open in template editing (set by Open and Save As); empty: none loaded.
    QString TemplateFileName;
    // The host's abbreviation list, installed by the main window.
    THostAbbreviationAccess HostAbbreviations;
    // The main dictionary of the spelling check (hunspell files without ".aff"/".dic").
    QString SpellDictionary = QStringLiteral("/usr/share/hunspell/en_GB");
    // The report's dictations and their panel.
    TAudioTextRecords AudioRecords;
    // The dictation window's audio times (ms) of a part of a job's text; false when it does not hold
    // that job. Installed with the dictation window.
    std::function<bool(const QByteArray &job, int selStart, int selEnd, int &startMs, int &endMs)>
        DictationTimes;
    // Tables of the document, from the control's events.
    TTableList TableList;
    // A new print job for a page; empty: the print dialog chooses the printer.
    std::function<std::unique_ptr<QPagedPaintDevice>(int page)> NewPrintJob;
    // The look-up's bound: rounds of a wait each.
    int LookupRounds = 201;
    int LookupRoundMs = 100;

    // Calls out to what the main window owns beside the editor, installed by the main window; each
    // does nothing while not installed.
    // Merge fields on a part of the document (1 header, 4 footer, 16 main text); false on failure.
    std::function<bool(int part)> MergeFields;
    // The dictation list shown (AUDIOTEXTINFO set) or hidden, and its placeholders refreshed.
    std::function<void(bool show)> ShowDictationList;
    std::function<void()> RefreshDictationPlaceholders;
    // The main window's image view shown on a picture of a message box.
    std::function<void(const QString &file)> ShowInImageControl;
    // How long a picture file may take to answer (a hung share) before it is taken as missing.
    int PictureWaitMs = FileWait::kDefaultMs;
    // Pixel size of a picture file the user inserts (an invalid size when it cannot be read).
    std::function<QSize(const QString &file)> MeasurePicture;
    // Names of the dictation entries typed into the report, returned on a "KX_AUDIOTYPED" line.
    std::function<QByteArrayList()> TypedDictationEntries;
    // The dictation window's report of new text for an entry (name, text, status code).
    std::function<void(const QByteArray &name, const QByteArray &text, int code)> AudioStatusChanged;

signals:
    // The report was returned or abandoned and the editor hidden: the main window takes over.
    void ReportFinished();

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
    bool printPages(int pages);
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
    QByteArray value(const char *name) const { return ReportRecord.GetValue(name); }

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
