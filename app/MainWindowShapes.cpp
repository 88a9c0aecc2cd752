// Window shapes and the menu bar's layout.
#include "app/MainWindowShapes.h"

#include "app/MainWindowLogic.h"
#include "app/MainWindowUi.h"
#include "app/RequestImagePanel.h"
#include "platform/settings/TRegistry.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

QRect MainWindowShapes::WorkArea() const {
    const QScreen *s = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect MainWindowShapes::Desktop() const {
    const QScreen *s = m_window.screen() ? m_window.screen() : QGuiApplication::primaryScreen();
    return s ? s->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
}

int MainWindowShapes::MenuBarHeight() const {
    return m_ui.formButton->sizeHint().height() + 12;
}

int MainWindowShapes::ToolBarHeight() const {
    return m_ui.toolBar1->sizeHint().height();
}

void MainWindowShapes::placeWindow(const QPoint &topLeft, const QSize &size) {
    m_window.setMinimumSize(0, 0);
    m_window.resize(size);
    m_window.move(topLeft);
}

void MainWindowShapes::ResetPosition() {
    const QRect area = WorkArea();
    m_left = area.left();
    m_top = area.top();
}

void MainWindowShapes::ResetWidth() {
    m_widthValue = Desktop().width();
}

void MainWindowShapes::ReadPlace(const TRegistry &registry) {
    const QRect area = WorkArea();
    m_widthValue = registry.ReadInteger(QStringLiteral("VTWidth"), Desktop().width());
    m_left = registry.ReadInteger(QStringLiteral("VTLeft"), area.left());
    m_top = registry.ReadInteger(QStringLiteral("VTtop"), area.top());
}

void MainWindowShapes::WritePlace(TRegistry &registry) const {
    registry.WriteInteger(QStringLiteral("VTWidth"), m_widthValue);
    registry.WriteInteger(QStringLiteral("VTLeft"), m_left);
    registry.WriteInteger(QStringLiteral("VTtop"), m_top);
}

void MainWindowShapes::LayoutMenuBar() {
    const int barHeight = MenuBarHeight();
    m_ui.menuPanel->setFixedHeight(barHeight);
    QPushButton *formButton = m_ui.formButton;
    QPushButton *exitButton = m_ui.exitButton;
    const int buttonHeight = formButton->sizeHint().height();
    const int width = m_window.width();
    m_ui.reqNum->setGeometry(4, 4, 150, barHeight - 4 - 4);
    int x = m_ui.reqNum->isVisible() ? 150 + 4 : 4;
    formButton->setGeometry(x, 4, formButton->sizeHint().width(), buttonHeight);
    x = formButton->isVisible() ? formButton->geometry().right() + 1 : x;
    exitButton->setGeometry(x, 4, exitButton->sizeHint().width(), buttonHeight);
    x = exitButton->isVisible() ? exitButton->geometry().right() + 1 : 2;
    m_ui.orvaLabel->setGeometry(x + 4, 4, m_ui.orvaLabel->sizeHint().width(), buttonHeight);
    const QSize speed = m_ui.closeSpeed->sizeHint();
    m_ui.closeSpeed->setGeometry(width - speed.width() - 8, 4, speed.width(), speed.height());
    m_ui.minimiseSpeed->setGeometry(m_ui.closeSpeed->x() - 4 - speed.width(), 4, speed.width(),
                                    speed.height());
    m_ui.linkLight->setGeometry(m_ui.minimiseSpeed->x() - 8 - 16, 4 + (buttonHeight - 16) / 2, 16, 16);
    m_ui.noLinkLight->setGeometry(m_ui.linkLight->geometry());
    const int listWidth = 160;
    m_ui.imageNameListBox->setGeometry(m_ui.noLinkLight->x() - 4 - listWidth, 4, listWidth, buttonHeight);
    const int labelLeft = m_ui.orvaLabel->geometry().right() + 8;
    m_ui.imageLabel->setGeometry(labelLeft, 4, qMax(0, m_ui.linkLight->x() - labelLeft), buttonHeight);
}

void MainWindowShapes::hideImages() {
    m_ui.viewPanel->hide();
    m_ui.viewPanel->ClearImageList();
}

void MainWindowShapes::SizeToTerminal() {
    const TVtTerminalEx *terminal = m_ui.terminal;
    const QSize size = MainWindowLogic::TerminalWindowSize(
        terminal->Columns(), terminal->Rows(), terminal->Scrollback(), terminal->CellWidth(),
        terminal->CellHeight(), ToolBarHeight(), MenuBarHeight());
    // The remembered place is kept on the desktop with the window's real size.
    const QPoint place = MainWindowLogic::ClampToDesktop(QPoint(m_left, m_top), size, Desktop());
    m_left = place.x();
    m_top = place.y();
    hideImages();
    m_ui.vtPanel->show();
    placeWindow(place, size);
    LayoutMenuBar();
}

void MainWindowShapes::CollapseToMenuBar() {
    const QRect area = WorkArea();
    hideImages();
    m_ui.vtPanel->hide();
    placeWindow(area.topLeft(), QSize(area.width(), MenuBarHeight()));
    LayoutMenuBar();
}

void MainWindowShapes::ExpandToWorkArea() {
    const QRect area = WorkArea();
    if (!m_ui.viewPanel->isVisible()) {
        m_left = m_window.x();
        m_top = m_window.y();
    }
    m_ui.vtPanel->hide();
    m_ui.viewPanel->show();
    placeWindow(area.topLeft(), area.size());
    LayoutMenuBar();
}

void MainWindowShapes::ShowTerminal(bool focusRequestBox) {
    if (!m_ui.vtPanel->isVisible()) {
        m_window.move(m_left, m_top);
    }
    m_ui.viewPanel->hide();
    m_window.setWindowState(m_window.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    m_ui.vtPanel->show();
    if (focusRequestBox) {
        m_ui.reqNum->setFocus();
    } else {
        m_ui.terminal->setFocus();
    }
}

bool MainWindowShapes::MenuBarDrag(QObject *watched, QEvent *event) {
    if (watched != m_ui.menuPanel && watched != m_ui.orvaLabel && watched != m_ui.imageLabel) {
        return false;
    }
    auto *mouse = dynamic_cast<QMouseEvent *>(event);
    if (!mouse) {
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton &&
        m_ui.vtPanel->isVisible()) {
        m_dragging = true;
        m_dragOrigin = mouse->globalPosition().toPoint();
        return true;
    }
    if (event->type() == QEvent::MouseMove && m_dragging) {
        const QPoint now = mouse->globalPosition().toPoint();
        m_window.move(m_window.pos() + (now - m_dragOrigin));
        m_dragOrigin = now;
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && m_dragging) {
        m_dragging = false;
        m_left = m_window.x();
        m_top = m_window.y();
        return true;
    }
    return false;
}
