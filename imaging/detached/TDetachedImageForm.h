// TDetachedImageForm ("Orva Image System"): the free-floating viewer for the scanned forms of one or
// several requests. A list of the requests' files, the document viewer with its toolbar, previous
// and next file, six status panels, printing (optionally negative), copy, and a place on the screen
// kept in the registry. The key map drives it through TImageKeyTarget.
#pragma once

#include "imaging/detached/DetachedImageLogic.h"
#include "imaging/detached/TDetachedImageHost.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"
#include "imaging/docforms/DocumentDialogBox.h"
#include "imaging/imagelist/ImageList.h"

#include <QByteArray>
#include <QList>
#include <QMainWindow>
#include <QPrinter>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QLabel;
class QToolBar;
class QToolButton;

namespace orva::imaging {

class TdlgOpenImage;
class TVisDocImageToolbar;
class VisDocumentImage;

class TDetachedImageForm : public QMainWindow, public TImageKeyTarget {
    Q_OBJECT
public:
    TDetachedImageForm(TDetachedImageHost &host, QWidget *owner = nullptr);
    ~TDetachedImageForm() override;

    // Lists the images of one request number, or of a list with a comma after each number, and
    // shows the first.
    void LoadRequestImages(const QByteArray &text);
    // Shows the selected item; false (all panels empty) when nothing is selected or it failed.
    bool ShowSelectedFile();
    void aPrevFileExecute() override;
    void aNextFileExecute() override;
    void ToolbarAction(TVisTbBtn button) override;
    void ScrollBy(int dx, int dy) override;
    bool ImageWindowVisible() const override { return isVisible(); }
    void ClearImage();
    void RestorePosition();
    void SavePosition();
    void PrintCurrentImage();
    void Copy1Click();
    void aOpenImageExecute();
    void aStayOnTopExecute();
    void NegativeImageonPrint1Click();

    VisDocumentImage *VisDocumentImage1() const { return m_viewer; }
    TVisDocImageToolbar *VisDocImageToolbar1() const { return m_toolbar; }
    QComboBox *FileListCombo() const { return m_fileList; }
    QToolButton *PrevImgBtn() const { return m_prevButton; }
    QToolButton *NextImgBtn() const { return m_nextButton; }
    QLabel *Panel(int index) const { return m_panels.at(static_cast<std::size_t>(index)); }
    QAction *Action(const QString &name) const;
    QPrinter &PrintDialog1() { return m_printer; }
    const QList<DetachedImage::TFileItem> &Items() const { return m_items; }
    TdlgOpenImage *OpenImageDialog() const { return m_openImage; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void rememberPlace();
    void writePlace();
    void clearPanels();
    void showPanels(const QStringList &texts);
    void showFileButtons(int index);
    void wheelScroll(int angle);
    void reportFailure(const QString &message);
    // The scale that fits the page's height (Qt::Vertical) or width into the viewer.
    double fitPercent(Qt::Orientation extent) const;

    TDetachedImageHost &m_host;
    QList<DetachedImage::TFileItem> m_items;
    DetachedImage::TPlace m_place;
    bool m_placing = false;
    bool m_placeUnsaved = false;
    QPrinter m_printer;
    TdlgOpenImage *m_openImage = nullptr;

    QToolBar *m_toolBar = nullptr;
    QComboBox *m_fileList = nullptr;
    int m_shownIndex = -1; // the list entry whose file the viewer shows
    TVisDocImageToolbar *m_toolbar = nullptr;
    QToolButton *m_prevButton = nullptr;
    QToolButton *m_nextButton = nullptr;
    VisDocumentImage *m_viewer = nullptr;
    // Opens the effects, tag editor and scan options the viewer asks for.
    TDocumentDialogBox m_viewerDialogs;
    std::array<QLabel *, 6> m_panels{};
    QAction *m_prevFile = nullptr;
    QAction *m_nextFile = nullptr;
    QAction *m_stayOnTop = nullptr;
    QAction *m_refresh = nullptr;
    QAction *m_closeOnExit = nullptr;
    QAction *m_openImageAction = nullptr;
    QAction *m_print = nullptr;
    QAction *m_exit = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_negative = nullptr;
};

} // namespace orva::imaging
