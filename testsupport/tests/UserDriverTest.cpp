// The user driver on a small window of its own: menus and sub-menus open from the menu bar, keys
// reach the focus and the window's short cuts, and boxes are answered by their buttons.
#include "testsupport/UserDriver.h"

#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

struct Window : QWidget {
    Window() {
        auto *layout = new QVBoxLayout(this);
        auto *bar = new QMenuBar(this);
        layout->setMenuBar(bar);
        QMenu *file = bar->addMenu(QStringLiteral("&File"));
        QAction *open = file->addAction(QStringLiteral("&Open"), this, [this] { log += "open;"; });
        open->setObjectName(QStringLiteral("Open1"));
        QMenu *sub = file->addMenu(QStringLiteral("&Recent"));
        sub->addAction(QStringLiteral("&First"), this, [this] { log += "first;"; });
        auto *tools = new QToolBar(this);
        tools->addAction(open);
        layout->addWidget(tools);
        edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("Edit"));
        layout->addWidget(edit);
        auto *other = new QLineEdit(this);
        other->setObjectName(QStringLiteral("Other"));
        layout->addWidget(other);
        auto *ask = new QPushButton(QStringLiteral("Ask"), this);
        ask->setObjectName(QStringLiteral("Ask"));
        layout->addWidget(ask);
        connect(ask, &QPushButton::clicked, this, [this] {
            const auto answer = QMessageBox::question(this, QStringLiteral("Q"), QStringLiteral("Sure?"));
            log += answer == QMessageBox::Yes ? "yes;" : "no;";
            log += QInputDialog::getText(this, QStringLiteral("Name"), QStringLiteral("Name:")) + ";";
        });
        auto *finish = new QAction(this);
        finish->setShortcut(Qt::Key_F10);
        finish->setShortcutContext(Qt::WindowShortcut);
        addAction(finish);
        connect(finish, &QAction::triggered, this, [this] { log += "F10;"; });
        // One part shows its menu and returns, the other waits in it.
        auto *shown = new QPushButton(QStringLiteral("Shown"), this);
        shown->setObjectName(QStringLiteral("Shown"));
        shown->setContextMenuPolicy(Qt::CustomContextMenu);
        layout->addWidget(shown);
        auto *popup = new QMenu(this);
        popup->addAction(QStringLiteral("&Paste"), this, [this] { log += "paste;"; });
        popup->addAction(QStringLiteral("&Never"))->setEnabled(false);
        connect(shown, &QWidget::customContextMenuRequested, this,
                [shown, popup](const QPoint &pos) { popup->popup(shown->mapToGlobal(pos)); });
        auto *text = new QPlainTextEdit(this);
        text->setObjectName(QStringLiteral("Text"));
        text->setContextMenuPolicy(Qt::CustomContextMenu);
        layout->addWidget(text);
        connect(text, &QWidget::customContextMenuRequested, this, [this, text](const QPoint &pos) {
            QMenu menu;
            menu.addAction(QStringLiteral("&Token"), this, [this] { log += "token;"; });
            menu.exec(text->mapToGlobal(pos));
            log += "returned;";
        });
        edit->setFocus();
    }
    QLineEdit *edit = nullptr;
    QString log;
};

} // namespace

class UserDriverTest : public QObject {
    Q_OBJECT
private slots:
    void menusToolBarsAndKeysReachTheWindow() {
        Window w;
        UserDriver user(&w);
        user.chooseMenu({"File", "Open"});
        user.chooseMenu({"&File", "&Recent", "First"});
        user.clickAction("Open1");
        QCOMPARE(w.log, QStringLiteral("open;first;open;"));
        user.focusOn(user.find<QLineEdit>("Edit"));
        user.type("Abc 1");
        QCOMPARE(w.edit->text(), QStringLiteral("Abc 1"));
        user.pressIn(user.find("Other"), Qt::Key_F10);
        QCOMPARE(w.log, QStringLiteral("open;first;open;F10;"));
    }

    void contextMenusOpenAsARightClickOpensThem() {
        Window w;
        UserDriver user(&w);
        bool never = true;
        user.contextMenu(user.find("Shown"), [&](QMenu *menu) {
            never = user.item(menu, "Never")->isEnabled();
            user.chooseItem(menu, "Paste");
        });
        user.contextMenu(user.find("Text"), [&](QMenu *menu) { user.chooseItem(menu, "&Token"); });
        QCOMPARE(w.log, QStringLiteral("paste;token;returned;"));
        QVERIFY(!never);
    }

    void boxesAreAnsweredByTheirButtons() {
        Window w;
        UserDriver user(&w);
        UserDriver::answerNextBox("&Yes", [](QWidget *) {
            UserDriver::answerNextBox("OK",
                                      [](QWidget *box) { box->findChild<QLineEdit *>()->setText("Ann"); });
        });
        user.click("Ask");
        QCOMPARE(w.log, QStringLiteral("yes;Ann;"));
        QCOMPARE(UserDriver::lastBoxText(), QStringLiteral("Name:"));
    }
};

QTEST_MAIN(UserDriverTest)
#include "UserDriverTest.moc"
