// The main window's three shapes: the menu bar alone across the top of the work area, the terminal
// at its remembered place and size, and the request images over the whole work area. Also the
// menu bar's own layout and the drag that moves the window by it.
#pragma once

#include <QPoint>
#include <QRect>

class QEvent;
class QObject;
class QSize;
class QWidget;
class TRegistry;
struct MainWindowUi;

class MainWindowShapes {
public:
    MainWindowShapes(QWidget &window, const MainWindowUi &ui) : m_window(window), m_ui(ui) {}

    void LayoutMenuBar();
    void SizeToTerminal();
    void CollapseToMenuBar();
    void ExpandToWorkArea();
    // The terminal again at its remembered place; the focus to the request box or the terminal.
    void ShowTerminal(bool focusRequestBox);

    QRect WorkArea() const;
    QRect Desktop() const;
    int MenuBarHeight() const;

    // The remembered place: at the top left of the work area, as wide as the desktop, until the
    // registry or a drag says otherwise.
    void ResetPosition();
    void ResetWidth();
    void ReadPlace(const TRegistry &registry);
    void WritePlace(TRegistry &registry) const;

    // A left-button drag on the menu bar or its captions moves the window while the terminal shows;
    // true when the event was taken.
    bool MenuBarDrag(QObject *watched, QEvent *event);
    void EndDrag() { m_dragging = false; }

private:
    int ToolBarHeight() const;
    void placeWindow(const QPoint &topLeft, const QSize &size);
    void hideImages();

    QWidget &m_window;
    const MainWindowUi &m_ui;
    int m_left = 0;
    int m_top = 0;
    int m_widthValue = 0;
    bool m_dragging = false;
    QPoint m_dragOrigin;
};
