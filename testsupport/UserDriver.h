// Drives a top-level window as its user does: parts found by their object names, clicks at the
// middle of a widget, menus opened from the menu bar, text typed and keys pressed where the keyboard
// focus is, and the next box that shows answered by the caption of one of its buttons. What a user
// could not do (a hidden or disabled part, a missing menu item) fails the test with its name.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <QtGlobal>

#include <functional>

class QAction;
class QMenu;

// A part found by object name under `root` (any class when no name is given); a part that is not
// there ends the test program with its name.
template <class T> T *child(const QObject *root, const char *name = nullptr) {
    T *found = name ? root->findChild<T *>(QString::fromLatin1(name)) : root->findChild<T *>();
    if (!found) {
        qFatal("no %s named \"%s\"", T::staticMetaObject.className(), name ? name : "");
    }
    return found;
}

class UserDriver {
public:
    // Shows the window when it is hidden.
    explicit UserDriver(QWidget *window);

    QWidget *window() const { return m_window; }
    // Brings the window to the front as the active one (as the user's click on it would).
    void activate();
    template <class T = QWidget> T *find(const char *name) const { return child<T>(m_window, name); }

    // The widget that takes the keys: the application's focus when it lies in this window, else the
    // part the window gives the focus to when it is activated.
    QWidget *focus() const;
    // Keys go to where the focus is, as the user's keyboard sends them (window short cuts included).
    void type(const QString &text);
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Puts the focus on a part as a click or Tab would (it must take the focus), then presses there.
    void focusOn(QWidget *w);
    void pressIn(QWidget *w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    // A left click at the middle of a visible, enabled widget (or at `at` in it).
    void click(QWidget *w, QPoint at = {});
    void click(const char *name) { click(find(name)); }
    void doubleClick(QWidget *w, QPoint at = {});
    // An action as the user reaches it: its button on a tool bar of the window.
    void clickAction(const char *name);
    // A menu path from the menu bar, by the items' captions ("&" marks may be left out):
    // {"Zoom", "100%"} or {"Insert", "Symbol", "Half"}.
    void chooseMenu(const QStringList &path);
    // The menu of the menu bar with that caption, opened as a click opens it (to read its items).
    QMenu *openMenu(const QString &caption);
    void closeMenus();
    // The part's context menu as a right click opens it (at the middle, or at `at`): `inMenu` gets the
    // menu once it shows, reads it or picks an item with chooseItem; a menu still open afterwards is
    // closed. Works whether the part shows its menu and returns or waits in it.
    void contextMenu(QWidget *w, const std::function<void(QMenu *)> &inMenu, QPoint at = {});
    // An item of an open menu, by its caption ("&" marks may be left out); it must be enabled.
    void chooseItem(QMenu *menu, const QString &caption);
    // The item itself, to read its state.
    QAction *item(QMenu *menu, const QString &caption) const;

    // Answers the next modal box that shows (a message box, an input box, any dialog) by clicking its
    // button with this caption, after `fill` (when given) has filled it in. Waits for the box for at
    // most `waitMs`; the test fails in the box's own loop when it has no such button.
    static void answerNextBox(const QString &button, std::function<void(QWidget *box)> fill = {},
                              int waitMs = 10000);
    // The text of the last box answered by answerNextBox (empty before one showed).
    static QString lastBoxText();

private:
    QAction *menuItem(QWidget *menu, const QString &caption) const;
    void clickItem(QWidget *menu, QAction *item);

    QWidget *m_window;
};
