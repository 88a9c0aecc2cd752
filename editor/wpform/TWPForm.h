// The results word processor: one window that loads each report message into its document (the
// letterhead, then a recovery copy, host markup, a stored document or a template), places the
// picture boxes, fills the patient strip and starts uploads of finished reports.
#pragma once

#include "common/UserMessages.h"
#include "editor/report/HostUpload.h"
#include "editor/report/TReportRecord.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>

class QAction;
class QLabel;
class QListWidget;
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

    TWPForm(const EditorFolders &folders, HostSendQueue *queue, UserMessages &messages,
            QWidget *parent = nullptr);
    ~TWPForm() override;

    bool LoadReport();
    // "Recover Last": the report is loaded again with the recovery copy as its body.
    bool RecoverLast(const QString &recoveryFile);
    void SetZoom(int zoom);
    // Starts the upload of the finished report text; the outgoing copy is the work document + ".tmp".
    bool ReturnReport(const QByteArray &text);

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

    orva::richtext::TWpTextControl *ResultBox = nullptr;
    orva::richtext::TWpButtonBar *WpButtonBar = nullptr;
    orva::richtext::TWpRuler *WpRuler = nullptr;
    orva::richtext::TWpStatusBar *WpStatus = nullptr;
    QWidget *ResultPanel = nullptr;
    QWidget *detailspanel = nullptr;
    QLabel *PATIENTStatic = nullptr, *ReqDateStatic = nullptr, *ProcStatic = nullptr,
           *RequestStatic = nullptr, *DrNameStatic = nullptr;
    QAction *Save1 = nullptr, *SaveAs1 = nullptr;

    // Calls into parts that come later; each does nothing until it is installed.
    // Merge fields on a part of the document (1 header, 4 footer, 16 main text); false on failure.
    std::function<bool(int part)> MergeFields;
    // The dictation list shown (AUDIOTEXTINFO set) or hidden, and its placeholders refreshed.
    std::function<void(bool show)> ShowDictationList;
    std::function<void()> RefreshDictationPlaceholders;
    // The main window's image view shown on a picture of a message box.
    std::function<void(const QString &file)> ShowInImageControl;
    // Pixel size of a picture file (an invalid size when it cannot be read).
    std::function<QSize(const QString &file)> MeasurePicture;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void placeResultBox();
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
    QByteArray value(const char *name) const { return ReportRecord.GetValue(name); }

    EditorFolders m_folders;
    HostSendQueue *m_queue;
    UserMessages &m_messages;
    QString m_lastError;
    // The tool buttons of Save1 and SaveAs1 (object names "ToolButton14" and "saveasbutton") and
    // the abbreviation list shown beside the document ("abrevlistbox").
    QToolButton *m_saveButton = nullptr;
    QToolButton *m_saveAsButton = nullptr;
    QListWidget *m_abbreviationListBox = nullptr;
};
