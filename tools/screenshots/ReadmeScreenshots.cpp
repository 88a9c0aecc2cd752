// Takes the README's pictures: the main window on the sample host's menu, driven as a user drives it
// (choices typed at the terminal, buttons clicked by name), each window saved as a PNG once it shows.
// Run under Xvfb by tools/samplehost/screenshots.sh, which starts the sample host and writes the setup
// file. Usage: ORVA_SCREENSHOT_DIR=FOLDER orva-screenshots SETUP-FILE
#include "app/TOrvaMainForm.h"
#include "app/export/TExportForm.h"
#include "app/settingsform/TTextAttForm.h"
#include "common/LocalPath.h"
#include "dictation/audioform/TwpAudioForm.h"
#include "editor/wpform/TWPForm.h"
#include "effects/dialog/TEffectForm.h"
#include "imaging/core/DLL96V1.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/doctoolbar/DocToolbarRules.h"
#include "terminal/widget/TVtTerminalEx.h"
#include "testsupport/UserDriver.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <functional>

using namespace orva::imaging;

namespace {

QString g_out;
int g_failures = 0;

void fail(const char *what) {
    std::fprintf(stderr, "orva-screenshots: %s\n", what);
    ++g_failures;
}

// A box that shows on the way would stop the walk: its text is reported and it is answered No.
void closeBoxes() {
    auto *timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "orva-screenshots: a box said: %s\n", qPrintable(box->text()));
            box->reject();
        }
    });
    timer->start(500);
}

bool waitFor(const std::function<bool()> &ready, int ms = 20000) {
    return QTest::qWaitFor(ready, ms);
}

// Saves the window as drawn, once the X server has mapped and painted it.
void save(QWidget *w, const char *name) {
    QApplication::setCursorFlashTime(0);
    QTest::qWait(800);
    const QString path = QDir(g_out).filePath(QLatin1String(name));
    if (!w->grab().save(path))
        fail(name);
    else
        std::printf("%s\n", qPrintable(path));
    std::fflush(stdout);
}

QList<QWidget *> shownWindows() {
    QList<QWidget *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->inherits("QMenu") && !w->inherits("QToolTip"))
            out.append(w);
    return out;
}

// The first window that shows after `act`, other than those shown before it.
QWidget *newWindow(const std::function<void()> &act, int ms = 20000) {
    const QList<QWidget *> before = shownWindows();
    act();
    QWidget *found = nullptr;
    waitFor(
        [&] {
            for (QWidget *w : shownWindows())
                if (!before.contains(w)) {
                    found = w;
                    return true;
                }
            return false;
        },
        ms);
    return found;
}

class Walk {
public:
    explicit Walk(TOrvaMainForm &form)
        : m_form(form), m_terminal(child<TVtTerminalEx>(&form, "VtTerminal1")), m_user(&form) {}

    bool screenShows(const QByteArray &text) const {
        for (int row = 1; row <= m_terminal->Rows(); ++row)
            if (m_terminal->GetRowText(row).contains(text))
                return true;
        return false;
    }
    // A choice typed at the host's menu and sent with Enter.
    void choose(const QString &choice) {
        m_form.activateWindow();
        m_terminal->setFocus();
        m_user.type(choice);
        m_user.press(Qt::Key_Return);
    }
    bool atMenu(const QByteArray &title = "REQUEST:") {
        return waitFor([&] { return screenShows(title) && screenShows("Choice:"); });
    }

    void terminal() {
        if (!atMenu())
            return fail("the main menu did not show");
        save(&m_form, "orva-terminal.png");
    }

    void requestImages() {
        auto *reqNum = child<QLineEdit>(&m_form, "ReqNum");
        if (!waitFor([&] { return reqNum->text() == "12345678"; }))
            return fail("the request box did not take the request number");
        m_user.click(child<QPushButton>(&m_form, "FormButton"));
        if (!waitFor([&] { return child<QWidget>(&m_form, "ViewPanel")->isVisible(); }))
            return fail("the request's forms did not show");
        save(&m_form, "orva-images.png");
        m_user.click(child<QPushButton>(&m_form, "ExitButton"));
        waitFor([&] { return m_terminal->isVisible(); });
    }

    // The detached window on the request's forms, then the effects dialog on its colour picture.
    void detachedAndEffects() {
        QWidget *w = newWindow([&] { choose("6"); });
        auto *detached = qobject_cast<TDetachedImageForm *>(w);
        if (!detached)
            return fail("the detached image window did not show");
        save(detached, "orva-detached.png");
        UserDriver user(detached);
        user.press(Qt::Key_F8); // the photograph, which the effects work on
        auto *effects = child<QToolButton>(detached, qPrintable(ButtonName(ibdocEffects)));
        if (!waitFor([&] { return effects->isEnabled(); }))
            return fail("the effects button did not come on for the colour picture");
        // The dialog runs its own loop until it is closed: it is saved and closed from within.
        QTimer::singleShot(0, [] {
            QPointer<QWidget> dialog;
            if (!waitFor([&] {
                    dialog = QApplication::activeModalWidget();
                    return dialog && dialog->inherits("orva::effects::TEffectForm");
                }))
                return fail("the effects dialog did not show");
            save(dialog, "orva-effects.png");
            dialog->close();
        });
        user.click(effects);
        detached->close();
        atMenu();
    }

    // The host form of choice 5, built through the host-form requests menu (H), whose 0 destroys it
    // again and goes back to the menu. The window opens at its designed size; the user makes it
    // big enough to show the whole form.
    void hostForm() {
        QWidget *w = newWindow([&] { choose("H"); });
        if (!w || !waitFor([&] { return screenShows("HOST FORM REQUESTS") && screenShows("Key:"); }))
            return fail("the host form did not show");
        w->resize(720, 500);
        save(w, "orva-hostform.png");
        m_terminal->setFocus();
        m_user.type("0");
        atMenu();
    }

    // Result entry, put into its review state by the host's key R.
    void resultEntry() {
        QWidget *w = newWindow([&] { choose("2"); });
        if (!w || !waitFor([&] { return screenShows("Key:"); }))
            return fail("result entry did not show");
        m_terminal->setFocus();
        m_user.type("R");
        if (!waitFor([&] { return screenShows("review state"); }))
            fail("the host did not put result entry into review");
        save(w, "orva-result-entry.png");
        m_terminal->setFocus();
        m_user.type("X");
        atMenu();
    }

    // A report with a dictation list (report messages, choice 6), abandoned with ESC.
    void editor() {
        choose("R");
        if (!atMenu("REPORT MESSAGES"))
            return fail("the report messages menu did not show");
        // Choice 2 first, as a check that the host's share is reached: its pictures are placed (a
        // missing one would show a box).
        choose("2");
        TWPForm *editor = nullptr;
        if (!waitFor([&] { return (editor = m_form.findChild<TWPForm *>()) && editor->isVisible(); }) ||
            editor->PictureList().size() != 2)
            fail("the report with the share's pictures did not open with them");
        if (editor) {
            UserDriver(editor).press(Qt::Key_Escape);
            waitFor([&] { return !editor->isVisible(); });
        }
        if (!atMenu("REPORT MESSAGES"))
            return fail("the report was not abandoned");
        choose("6");
        if (!waitFor([&] { return (editor = m_form.findChild<TWPForm *>()) && editor->isVisible(); }))
            return fail("the editor did not show");
        editor->activateWindow();
        save(editor, "orva-editor.png");
        UserDriver(editor).press(Qt::Key_Escape);
        waitFor([&] { return !editor->isVisible(); });
        if (!atMenu("REPORT MESSAGES"))
            return fail("the report was not abandoned");
        choose(QString());
        atMenu();
    }

    // A dictation to correct (audio tasks, choice 1), closed without transmitting.
    void dictation() {
        choose("T");
        if (!atMenu("AUDIO TASKS"))
            return fail("the audio tasks menu did not show");
        choose("1");
        if (!waitFor([&] { return m_form.AudioForm() && m_form.AudioForm()->isVisible(); }))
            return fail("the dictation window did not show");
        TwpAudioForm *w = m_form.AudioForm();
        save(w, "orva-dictation.png");
        w->close();
        atMenu("AUDIO TASKS");
        choose(QString());
        atMenu();
    }

    void settings() {
        m_user.click(child<QToolButton>(&m_form, "Advancedbutton"));
        if (!waitFor([&] { return m_form.TextAttForm() && m_form.TextAttForm()->isVisible(); }))
            return fail("the settings form did not show");
        TTextAttForm *w = m_form.TextAttForm();
        // It must open big enough to show its pages (it once opened as a sliver under X11).
        if (w->width() < w->minimumSizeHint().width() || w->height() < w->minimumSizeHint().height())
            fail("the settings form opened smaller than its pages");
        save(w, "orva-settings.png");
        w->close();
    }

    void exportForm() {
        m_user.click(child<QToolButton>(&m_form, "ToolButton5"));
        TExportForm *w = nullptr;
        if (!waitFor([&] { return (w = m_form.findChild<TExportForm *>()) && w->isVisible(); }))
            return fail("the export form did not show");
        UserDriver user(w);
        for (const auto &[name, text] : {std::pair{"WinFile", "/home/lab/hello.txt"},
                                         std::pair{"d3File", "BP"}, std::pair{"d3Item", "HELLO"}}) {
            user.focusOn(user.find(name));
            user.type(QString::fromLatin1(text));
        }
        save(w, "orva-export.png");
        w->close();
    }

private:
    TOrvaMainForm &m_form;
    TVtTerminalEx *m_terminal;
    UserDriver m_user;
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orva 4.1"));
    g_out = qEnvironmentVariable("ORVA_SCREENSHOT_DIR");
    if (argc != 2 || g_out.isEmpty()) {
        std::fprintf(stderr, "usage: ORVA_SCREENSHOT_DIR=FOLDER orva-screenshots SETUP-FILE\n");
        return 2;
    }
    orva::imaging::SetPathMapper(&LocalPath::toLocalPath);
    TOrvaMainForm form({QStringLiteral("orva"), QString::fromLocal8Bit(argv[1])});
    if (!form.FormCreate())
        return 1;
    form.show();
    form.FocusTerminal();

    closeBoxes();
    Walk walk(form);
    walk.terminal();
    walk.requestImages();
    walk.detachedAndEffects();
    walk.hostForm();
    walk.resultEntry();
    walk.editor();
    walk.dictation();
    walk.settings();
    walk.exportForm();
    form.CloseSpeedClick();
    return g_failures == 0 ? 0 : 1;
}
