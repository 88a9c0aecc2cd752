// TMMOpenDialog and TMMSaveDialog: the file dialogs with a preview pane beside the list (TIFF pages
// in a document viewer with page buttons, every other picture and clip in the media control), and
// the runners the imaging toolbar's Open and Save buttons call.
#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QLabel;
class QProgressBar;
class QStackedWidget;
class QToolButton;

namespace orva::imaging {

class TMultiMediaView;
class VisDocumentImage;

// Which of First, Prior, Next, Last may be pressed at a page of a file of pageCount pages.
struct TPageButtons {
    bool First = false;
    bool Prior = false;
    bool Next = false;
    bool Last = false;
    bool operator==(const TPageButtons &) const = default;
};
TPageButtons PageButtonsFor(int page, int pageCount);

// The Windows-style filter text ("Name|*.A;*.B|Name|*.C") as the name filters of a Qt file dialog.
QStringList NameFiltersFor(const QString &filterText);

class TMMFileDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TMMFileDialog(QWidget *parent, QFileDialog::AcceptMode mode);
    ~TMMFileDialog() override;

    // The page shown in the TIFF preview, kept within the file selected.
    int TiffSelectedPage() const { return m_tiffPage; }
    void SetTiffSelectedPage(int page) { m_tiffPage = page; }
    // The "P" button: a selection is previewed only while it is down.
    bool Preview() const;
    void SetPreview(bool on);
    // How long a preview waits for its file, which may sit on a share, before it gives up.
    int ShareWaitMs() const { return m_shareWaitMs; }
    void SetShareWaitMs(int value) { m_shareWaitMs = value; }

    // Previews a selection (what the list's current file change runs).
    void DoSelectionChange(const QString &file);
    QString PreviewedFile() const { return m_previewed; }

    VisDocumentImage *TiffPreview() const { return m_tiff; }
    TMultiMediaView *MediaPreview() const { return m_media; }
    QStackedWidget *PreviewStack() const { return m_stack; }
    QLabel *PageLabel() const { return m_pageLabel; }
    QToolButton *PageButton(int index) const { return m_pageButtons[index]; }
    QToolButton *PreviewButton() const { return m_previewButton; }
    QProgressBar *Progress() const { return m_progress; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void clearPreview();
    void previewFile(const QString &file);
    // False with the viewer's message when the page could not be shown.
    bool showTiff(const QString &file, int pageCount, QString *error);
    void updatePageInfo();
    void goToPage(int page);
    void applyHints();
    // Progress of a preview read: the bar follows it; a read asked to stop (a newer selection
    // waits, or the dialog closed) is told to stop.
    void readProgress(std::int16_t percent, bool &cancel);

    // Hints of the preview button and the four page buttons, put on them when the dialog shows.
    QString m_previewBtnHint = QStringLiteral("Enable/Disable preview of selected file");
    QString m_tiffFirstHint = QStringLiteral("First Tif Page");
    QString m_tiffPrior = QStringLiteral("Prior Tif Page");
    QString m_tiffNextHint = QStringLiteral("Next Tif Page");
    QString m_tiffLast = QStringLiteral("Last Tif Page");
    int m_shareWaitMs = 10000;

    VisDocumentImage *m_tiff = nullptr;
    TMultiMediaView *m_media = nullptr;
    QStackedWidget *m_stack = nullptr;
    QLabel *m_pageLabel = nullptr;
    QToolButton *m_pageButtons[4] = {};
    QToolButton *m_previewButton = nullptr;
    QProgressBar *m_progress = nullptr;
    int m_tiffPage = 0;
    QString m_previewed;
    // A selection that arrives while a preview is read waits here and is previewed after it:
    // the running read is never interrupted by spinning the event loop.
    bool m_reading = false;
    QString m_pending;
    bool m_hasPending = false;
    bool m_stop = false; // set when the dialog closes: a read still running stops
};

class TMMOpenDialog : public TMMFileDialog {
    Q_OBJECT
public:
    explicit TMMOpenDialog(QWidget *parent = nullptr);
};

class TMMSaveDialog : public TMMFileDialog {
    Q_OBJECT
public:
    explicit TMMSaveDialog(QWidget *parent = nullptr);
};

// What the toolbar's Open and Save buttons run: true with the file (and the previewed page).
bool RunMMOpenDialog(QWidget *owner, QString &file, int &page);
bool RunMMSaveDialog(QWidget *owner, QString &file);

} // namespace orva::imaging
