// The user's hands on a window under test: clicks, menus, keys and answers to boxes, sent through
// Qt's own event delivery so that short cuts, focus rules and disabled parts act as for a person.
#include "testsupport/UserDriver.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace {

QString plain(QString caption) {
    return caption.remove(QLatin1Char('&')).trimmed();
}

QString describe(const QWidget *w) {
    return QStringLiteral("%1 \"%2\"").arg(QLatin1String(w->metaObject()->className()), w->objectName());
}

void requireReachable(const QWidget *w) {
    if (!w->isVisible())
        qFatal("%s is not visible", qPrintable(describe(w)));
    if (!w->isEnabled())
        qFatal("%s is disabled", qPrintable(describe(w)));
}

QString g_lastBoxText;
// How long a window or menu may take to show or come to the front.
constexpr int kWaitMs = 30000;

} // namespace

UserDriver::UserDriver(QWidget *window) : m_window(window) {
    if (!m_window->isVisible()) {
        m_window->show();
        if (!QTest::qWaitForWindowExposed(m_window, kWaitMs))
            qFatal("%s did not show", qPrintable(describe(m_window)));
    }
    activate();
}

// The user works in the window in front: its short cuts and its focus are the ones that count.
void UserDriver::activate() {
    // Not isActiveWindow(): a dialog counts as active while its parent window is, yet its parts get
    // no focus changes until it is the active window itself.
    const auto active = [this] { return QApplication::activeWindow() == m_window; };
    if (active())
        return;
    m_window->activateWindow();
    // A loaded machine (a sanitizer build, many tests side by side) can take a while to activate.
    if (!QTest::qWaitFor(active, kWaitMs))
        qFatal("%s did not become the active window", qPrintable(describe(m_window)));
}

QWidget *UserDriver::focus() const {
    QWidget *f = QApplication::focusWidget();
    if (f && f->window() == m_window)
        return f;
    return m_window->focusWidget() ? m_window->focusWidget() : m_window;
}

void UserDriver::type(const QString &text) {
    activate();
    for (const QChar c : text)
        QTest::keyClick(focus(), c.toLatin1());
}

void UserDriver::press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    activate();
    QTest::keyClick(focus(), key, modifiers);
}

void UserDriver::focusOn(QWidget *w) {
    requireReachable(w);
    // As a click or Tab would put it there; a part that takes no focus cannot be reached so.
    QWidget *target = w;
    while (target->focusProxy())
        target = target->focusProxy();
    if (target->focusPolicy() == Qt::NoFocus)
        qFatal("%s takes no focus", qPrintable(describe(w)));
    activate();
    w->setFocus(Qt::TabFocusReason);
    if (focus() != target)
        qFatal("%s did not take the focus", qPrintable(describe(w)));
}

void UserDriver::pressIn(QWidget *w, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    focusOn(w);
    press(key, modifiers);
}

void UserDriver::click(QWidget *w, QPoint at) {
    requireReachable(w);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at.isNull() ? w->rect().center() : at);
}

void UserDriver::doubleClick(QWidget *w, QPoint at) {
    requireReachable(w);
    const QPoint p = at.isNull() ? w->rect().center() : at;
    // A double click is a click followed by the double-click event at the same place.
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, p);
    QTest::mouseDClick(w, Qt::LeftButton, Qt::NoModifier, p);
}

void UserDriver::clickAction(const char *name) {
    auto *action = find<QAction>(name);
    for (QToolBar *bar : m_window->findChildren<QToolBar *>()) {
        if (QWidget *button = bar->widgetForAction(action)) {
            click(button);
            return;
        }
    }
    for (QToolButton *button : m_window->findChildren<QToolButton *>()) {
        if (button->defaultAction() == action) {
            click(button);
            return;
        }
    }
    qFatal("no button shows the action \"%s\"", name);
}

QAction *UserDriver::menuItem(QWidget *menu, const QString &caption) const {
    for (QAction *a : menu->actions())
        if (!a->isSeparator() && plain(a->text()) == plain(caption))
            return a;
    qFatal("no item \"%s\" in %s", qPrintable(caption), qPrintable(describe(menu)));
}

void UserDriver::clickItem(QWidget *menu, QAction *item) {
    if (!item->isVisible())
        qFatal("the item \"%s\" is hidden", qPrintable(plain(item->text())));
    if (!item->isEnabled())
        qFatal("the item \"%s\" is disabled", qPrintable(plain(item->text())));
    QRect r;
    if (auto *bar = qobject_cast<QMenuBar *>(menu))
        r = bar->actionGeometry(item);
    else
        r = static_cast<QMenu *>(menu)->actionGeometry(item);
    QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, r.center());
}

QMenu *UserDriver::openMenu(const QString &caption) {
    auto *bar = m_window->findChild<QMenuBar *>();
    if (!bar)
        qFatal("%s has no menu bar", qPrintable(describe(m_window)));
    QAction *top = menuItem(bar, caption);
    closeMenus();
    clickItem(bar, top);
    QMenu *menu = top->menu();
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, kWaitMs))
        qFatal("the menu \"%s\" did not open", qPrintable(caption));
    return menu;
}

void UserDriver::closeMenus() {
    while (QWidget *popup = QApplication::activePopupWidget())
        popup->close();
}

void UserDriver::contextMenu(QWidget *w, const std::function<void(QMenu *)> &inMenu, QPoint at) {
    requireReachable(w);
    activate();
    const QPoint p = at.isNull() ? w->rect().center() : at;
    auto done = std::make_shared<bool>(false);
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, done, inMenu] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        inMenu(menu);
        if (menu->isVisible())
            menu->close();
        *done = true;
    });
    timer->start(10);
    // The right button, then the context-menu event the platform sends for it; a scroll area takes
    // it through its viewport.
    QTest::mouseClick(w, Qt::RightButton, Qt::NoModifier, p);
    QWidget *target = w;
    if (auto *area = qobject_cast<QAbstractScrollArea *>(w))
        target = area->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, p, w->mapToGlobal(p));
    QApplication::sendEvent(target, &event);
    if (!QTest::qWaitFor([done] { return *done; }, kWaitMs)) {
        timer->deleteLater();
        qFatal("no context menu showed for %s", qPrintable(describe(w)));
    }
}

QAction *UserDriver::item(QMenu *menu, const QString &caption) const {
    return menuItem(menu, caption);
}

void UserDriver::chooseItem(QMenu *menu, const QString &caption) {
    clickItem(menu, menuItem(menu, caption));
}

void UserDriver::chooseMenu(const QStringList &path) {
    if (path.size() < 2)
        qFatal("a menu path needs a menu and an item");
    QMenu *menu = openMenu(path.first());
    for (qsizetype i = 1; i < path.size(); ++i) {
        QAction *item = menuItem(menu, path.at(i));
        if (QMenu *sub = item->menu()) {
            clickItem(menu, item);
            if (!QTest::qWaitFor([sub] { return sub->isVisible(); }, kWaitMs))
                qFatal("the menu \"%s\" did not open", qPrintable(path.at(i)));
            menu = sub;
            continue;
        }
        clickItem(menu, item);
    }
    closeMenus();
}

void UserDriver::answerNextBox(const QString &button, std::function<void(QWidget *)> fill, int waitMs) {
    auto *timer = new QTimer(qApp);
    auto waited = std::make_shared<int>(0);
    constexpr int kStepMs = 10;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, waited, button, fill, waitMs] {
        QWidget *box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) {
            if ((*waited += kStepMs) > waitMs) {
                timer->deleteLater();
                timer->stop();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (auto *m = qobject_cast<QMessageBox *>(box))
            g_lastBoxText = m->text();
        else if (auto *label = box->findChild<QLabel *>())
            g_lastBoxText = label->text();
        if (fill)
            fill(box);
        for (QAbstractButton *b : box->findChildren<QAbstractButton *>()) {
            if (b->isVisible() && plain(b->text()) == plain(button)) {
                QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, b->rect().center());
                return;
            }
        }
        qFatal("the box \"%s\" has no button \"%s\"", qPrintable(box->windowTitle()), qPrintable(button));
    });
    timer->start(kStepMs);
}

QString UserDriver::lastBoxText() {
    return g_lastBoxText;
}
