// The main window's image area ("ViewPanel"): the request's files in the image name list, the
// picture of one of them, the strip above it (zoom bar, "<" ">", counter), the image keys, image
// print and the image source in use.
#pragma once

#include "common/SetupFile.h"
#include "imaging/imagelist/ImageList.h"

#include <QByteArray>
#include <QPoint>
#include <QString>
#include <QWidget>

class QKeyEvent;
class QLabel;
class QListWidget;
class QPrinter;
class QPushButton;
class QToolBar;
class QToolButton;
class UserMessages;
namespace orva::imaging {
class TMultiImage;
}

class RequestImagePanel : public QWidget {
    Q_OBJECT
public:
    // `nameList` is the image name list of the menu bar; the panel fills it and shows the entry
    // double-clicked or chosen with Enter.
    RequestImagePanel(QListWidget &nameList, UserMessages &messages, QWidget *parent = nullptr);

    // The image sources, names, mask and printer of the setup file; the default source comes back.
    void setSettings(const TOrvaSettings &settings);

    // Lists the request's files from the source in use (or the next with files) and shows the first;
    // false when nothing could be shown.
    bool LoadRequest(const QByteArray &number);
    bool ShowImage(int index);
    // An entry of the list shown fitted.
    void ShowEntry(int index);
    void ClearImageList();

    // Flags of UpdateImageControls.
    enum ImageControlFlag { ShowZoomToolBar = 1, EnableImagePrint = 4 };
    void UpdateImageControls(int flags);
    void ViewFit();
    void ViewActualSize();
    void ViewToggleFit();
    void ViewZoomIn();
    void ViewZoomOut();
    void ViewRotate(bool clockwise);
    void ViewNext();
    void ViewPrevious();
    void PrintToolButtonClick();
    bool PrintImage(QPrinter &printer);
    // The keys of the image area; `inRequestBox` leaves character keys to the request box.
    bool ImageKey(QKeyEvent *event, bool inRequestBox);
    void FocusImage();

    // The source menu items of the main window.
    void NewSourceClick();
    void DefaultSourceClick();

    // Where requests are listed from: the image sources, the mask in use and the no-image name.
    ImageList::TImageListSettings ListSettings() const;
    QString CurrentImageSource() const { return m_currentSource; }
    // The detached window's listings set the source in use, as this panel's own do.
    void SetCurrentImageSource(const QString &source) { m_currentSource = source; }
    QByteArray MaskInUse() const { return m_maskInUse; }
    int ImageIndex() const { return m_imageIndex; }

signals:
    // Escape in the image area: back to the terminal.
    void exitRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildStrip();
    void imageClicked(const QPoint &at);

    QListWidget &m_nameList;
    UserMessages &m_messages;
    TOrvaSettings m_settings;
    orva::imaging::TMultiImage *m_view = nullptr;
    QToolBar *m_zoomToolBar = nullptr;
    QToolButton *m_printToolButton = nullptr;
    QPushButton *m_prevImage = nullptr;
    QPushButton *m_nextImage = nullptr;
    QLabel *m_viewCounter = nullptr;
    QString m_currentSource;
    QByteArray m_maskInUse;
    int m_imageIndex = 0;
    QString m_imageDateText;
    QPoint m_pressAt;
};
