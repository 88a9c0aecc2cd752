// The main window's widgets: the menu bar with the request box and link lights, the terminal with its
// tool bar and transfer panel, and the image area. Made once by the window; its parts (shapes, request
// box, tool actions, keys, menus, editor and dictation) work on them.
#pragma once

#include <QString>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class QWidget;
class RequestImagePanel;
class TVtTerminalEx;

struct MainWindowUi {
    QFrame *menuPanel = nullptr;
    QLineEdit *reqNum = nullptr;
    QPushButton *formButton = nullptr;
    QPushButton *exitButton = nullptr;
    QLabel *orvaLabel = nullptr;
    QLabel *imageLabel = nullptr;
    QLabel *linkLight = nullptr;
    QLabel *noLinkLight = nullptr;
    QToolButton *minimiseSpeed = nullptr;
    QToolButton *closeSpeed = nullptr;
    QListWidget *imageNameListBox = nullptr;
    RequestImagePanel *viewPanel = nullptr;
    QWidget *vtPanel = nullptr;
    QToolBar *toolBar1 = nullptr;
    TVtTerminalEx *terminal = nullptr;
    QFrame *transferPanel = nullptr;
    QProgressBar *docProgressBar = nullptr;

    // The menu bar, the terminal area with its tool bar buttons and the transfer panel, children of
    // `window`; the window connects the buttons to what they do.
    void setupUi(QWidget *window);
    QToolButton *toolButton(const QString &objectName) const;

private:
    void buildMenuBar(QWidget *window);
    void buildTerminalArea(QWidget *window);
    void buildToolBar();
    QToolButton *addToolButton(const QString &name, const QString &hint, const QString &glyph);
};
