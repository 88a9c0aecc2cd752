// The main window and its settings form as their user reaches them: menus opened by a right click,
// buttons and keys on the window, answers to its boxes, and what the host receives on the link.
#include "app/TOrvaMainForm.h"
#include "app/tests/FormChildren.h"
#include "app/tests/TestMainForm.h"
#include "common/LocalPath.h"
#include "common/ResourceCursors.h"
#include "common/testing/FakeHostLink.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "dictation/playback/tests/FakePlayer.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TDetachedImageForm.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using orva::imaging::TDetachedImageForm;

class MainWindowUserTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TestMainForm m;
    FakePlayer::Log m_player;
    // The cursor up while each dictation player was made (the window opening its task).
    QList<QCursor> m_openingCursors;

    // The main window shown on a link in `state`, with an image share holding one request.
    void start(LinkState state = LinkState::Connected, const QByteArray &extra = {}) {
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Tessel", "OrvaVT4").clear();
        m = makeTestMainForm(m_dir.path(),
                             "sourcedirectory = " + m_dir.filePath("share").toUtf8() +
                                 "\nsubdirectory = ****....\nnoimagename = noimage.png\n" + extra,
                             new FakeHostLink(state));
        m.form->SetDictationFactories(
            [this] {
                const QCursor *c = QApplication::overrideCursor();
                m_openingCursors.append(c ? *c : QCursor());
                return std::make_unique<FakePlayer>(m_player);
            },
            {});
        QVERIFY(m.form->FormCreate());
        m.form->show();
    }
    // The user asks for the request's images in the detached window: the display option down, the
    // number typed into the request box and Enter.
    TDetachedImageForm *requestInDetachedWindow(UserDriver &user) {
        auto *detached = user.find<QToolButton>("ImageDisplayOptionToolBtn");
        if (!detached->isChecked())
            user.click(detached);
        auto *number = user.find<QLineEdit>("ReqNum");
        user.focusOn(number);
        number->clear();
        user.type("12345678");
        user.press(Qt::Key_Return);
        auto *w = m.form->findChild<TDetachedImageForm *>();
        if (!w || !QTest::qWaitFor([w] { return w->isVisible(); }, 20000))
            return nullptr;
        return w;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        orva::imaging::SetPathMapper(&LocalPath::toLocalPath);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.filePath("config"));
        QDir(m_dir.path()).mkpath("work");
        QDir(m_dir.path()).mkpath("share/1234");
        QImage page(200, 280, QImage::Format_RGB32);
        page.fill(Qt::white);
        QVERIFY(page.save(m_dir.filePath("share/1234/12345678~A01.png")));
        QVERIFY(page.save(m_dir.filePath("share/noimage.png")));
    }
    void cleanup() {
        m.form.reset();
        m_player = {};
        m_openingCursors.clear();
    }

    // The menu bar's pop-up offers "Reset Image Position" once the image window exists, and the item
    // brings that window back to the top left of the screen.
    void resetImagePositionOnceTheImageWindowExists() {
        start();
        UserDriver user(m.form.get());
        QWidget *menuBar = user.find("MenuPanel");
        bool enabled = true;
        user.contextMenu(
            menuBar, [&](QMenu *menu) { enabled = user.item(menu, "Reset Image Position")->isEnabled(); });
        QVERIFY2(!enabled, "no image window yet: nothing to reset");

        TDetachedImageForm *images = requestInDetachedWindow(user);
        QVERIFY(images);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        images->move(screen.topLeft() + QPoint(300, 200));
        user.activate();
        user.contextMenu(menuBar, [&](QMenu *menu) { user.chooseItem(menu, "&Reset Image Position"); });
        QTRY_COMPARE(images->pos(), screen.topLeft());
    }

    // A dictation task opens under the speaker cursor.
    void dictationOpensUnderTheSpeaker() {
        start();
        m.link->deliver("\x02@|KX_AUDIOONLY~1^KX_AUDIOTASK~PLAYBACK^KX_REQCODE~26/00124|@\x03");
        QTRY_VERIFY(m.form->AudioForm() && m.form->AudioForm()->isVisible());
        QCOMPARE(m_openingCursors.size(), 1);
        const QCursor speaker = ResourceCursors::Load("SPEAKER");
        QCOMPARE(m_openingCursors[0].shape(), Qt::BitmapCursor);
        QCOMPARE(m_openingCursors[0].pixmap().toImage(), speaker.pixmap().toImage());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    // The no-link light connects on a click of the left button, not on the others.
    void noLinkLightConnectsOnTheLeftButton() {
        start(LinkState::Closed, "hostname = lab1\n");
        m.link->connects.clear();
        QWidget *light = child<QLabel>(m.form.get(), "NoLinkLight");
        QTRY_VERIFY(light->isVisible());
        QTest::mouseClick(light, Qt::RightButton);
        QTest::mouseClick(light, Qt::MiddleButton);
        QVERIFY(m.link->connects.isEmpty());
        UserDriver(m.form.get()).click(light);
        QCOMPARE(m.link->connects, (QList<QPair<QString, int>>{{"lab1", 23}}));
    }
};

QTEST_MAIN(MainWindowUserTest)
#include "MainWindowUserTest.moc"
