// Keys and the left button in the terminal.
#include "app/TerminalKeys.h"

#include "app/MainWindowUi.h"
#include "app/RequestBox.h"
#include "app/TOrvaMainForm.h"
#include "app/pipeline/ReceivePipeline.h"
#include "common/UserMessages.h"
#include "dictation/keys/TDictationKeyTarget.h"
#include "imaging/detached/TDetachedImageForm.h"
#include "imaging/detachedkeys/TImageKeyTarget.h"
#include "platform/hostlink/HostLink.h"
#include "terminal/core/TVtKeyTranslation.h"
#include "terminal/widget/TVtTerminalEx.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace {
const QString kErrorCaption = QStringLiteral("Error condition detected");
}

TerminalKeys::TerminalKeys(TOrvaMainForm &window, const MainWindowUi &ui, HostLink &link,
                           UserMessages &messages, RequestBox &requestBox,
                           std::unique_ptr<TDictationKeyTarget> dictationKeys)
    : QObject(&window), m_window(window), m_ui(ui), m_link(link), m_messages(messages),
      m_requestBox(requestBox), m_dictationKeys(std::move(dictationKeys)) {
    m_ui.terminal->OnKeyDown = [this](int &key, int shift) { VtTerminal1KeyDown(key, shift); };
    m_ui.terminal->installEventFilter(this);
    m_viewport = m_ui.terminal->viewport();
    m_viewport->installEventFilter(this);
}

TerminalKeys::~TerminalKeys() = default;

bool TerminalKeys::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_ui.terminal && event->type() == QEvent::KeyPress) {
        return terminalKeyPress(static_cast<QKeyEvent *>(event));
    }
    if (watched == m_viewport &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        terminalLeftButton(event->type() == QEvent::MouseButtonPress);
    }
    return false;
}

void TerminalKeys::SendKeyText(const QByteArray &bytes) {
    m_link.Send(bytes);
}

void TerminalKeys::ShowRequestImages() {
    m_requestBox.ShowRequestImages();
}

void TerminalKeys::DictationKey(TDictationKey key) {
    RunDictationKey(*m_dictationKeys, key);
}

// Keys without a virtual-key code never reach the key map: they end the selection hold here. Ctrl
// and Alt alone do not, or Ctrl+C and Ctrl+Insert would find no selection left to copy; those
// copy the selection and then end the hold, so that held host output is not left waiting for a
// further key. True when the key was taken here.
bool TerminalKeys::terminalKeyPress(QKeyEvent *event) {
    const TVtKeyStroke stroke = TranslateKey(event->key(), event->modifiers(), false, event->text());
    const bool ctrlOnly = (stroke.Shift & (vssCtrl | vssShift | vssAlt)) == vssCtrl;
    if (ctrlOnly && (event->key() == Qt::Key_C || event->key() == Qt::Key_Insert) &&
        m_ui.terminal->Selection().Present()) {
        m_ui.terminal->CopyToClipboard();
        EndSelectionHold();
        return true;
    }
    // Shift alone ends the hold too: it starts no copy, and the user may just want the screen back.
    if ((stroke.Key == 0 && !stroke.Modifier) || event->key() == Qt::Key_Shift) {
        EndSelectionHold();
    }
    return false;
}

// Received text is held back from the press of the left button in the terminal, so that the screen
// stays put while the user selects; a release with fewer than 4 characters selected lets it through.
void TerminalKeys::terminalLeftButton(bool pressed) {
    ReceivePipeline *pipeline = m_window.Pipeline();
    if (!pipeline) {
        return;
    }
    if (pressed) {
        pipeline->setSelectionHold(true);
        return;
    }
    const TVtSelection &selection = m_ui.terminal->Selection();
    const int cells = selection.Marked()
                          ? (selection.EndCell().Row - selection.StartCell().Row) * m_ui.terminal->Columns() +
                                selection.EndCell().Col - selection.StartCell().Col + 1
                          : 0;
    if (cells < 4) {
        EndSelectionHold();
    }
}

void TerminalKeys::VtTerminal1KeyDown(int &key, int shift) {
    if (TVtVT100EmulatorEx *emulator = m_ui.terminal->EmulatorEx()) {
        emulator->KeyHandled = false;
    }
    // A held mouse button is part of the shift state (left 8, right 16, middle 32), so it prevents a match.
    const Qt::MouseButtons buttons = QGuiApplication::mouseButtons();
    const int mouse = (buttons & Qt::LeftButton ? 8 : 0) | (buttons & Qt::RightButton ? 16 : 0) |
                      (buttons & Qt::MiddleButton ? 32 : 0);
    // Shift, Ctrl or Alt alone: platforms differ on whether its own bit is in the shift state, so it
    // is left out (the key names SHIFT, CTRL and ALT bind the key by itself). Unless the map binds it,
    // such a press leaves the selection alone, so that Ctrl+C still copies it.
    const int vk = key & 0xFF;
    const int own = vk == 16 ? vssShift : vk == 17 ? vssCtrl : vk == 18 ? vssAlt : 0;
    if (own != 0) {
        shift &= ~own;
        if (!m_keyMap.Binds(vk, (shift | mouse) & 0xFF)) {
            return;
        }
    }
    try {
        if (MapKeyPress(vk, (shift | mouse) & 0xFF) == 0) {
            key = 0;
        }
    } catch (...) {
        m_messages.ask(UserMessages::Buttons::OkCancel, kErrorCaption,
                       QStringLiteral("Error condition in the For loop in VT Keydown event\r\nvalue is - ") +
                           QString::number(m_keyMap.LastExamined()));
    }
}

int TerminalKeys::MapKeyPress(int key, int shift) {
    EndSelectionHold();
    return m_keyMap.MapKeyPress(key, shift, *this);
}

void TerminalKeys::doImageKey(int code) {
    // A stand-in set in place of the window takes the keys; otherwise the window, while it exists.
    orva::imaging::RunImageKey(m_imageKeys ? m_imageKeys.get() : m_requestBox.DetachedForm(), code);
}

void TerminalKeys::SetImageKeyTarget(std::unique_ptr<orva::imaging::TImageKeyTarget> target) {
    m_imageKeys = std::move(target);
}

void TerminalKeys::SetDictationKeyTarget(std::unique_ptr<TDictationKeyTarget> target) {
    m_dictationKeys = target ? std::move(target) : std::make_unique<TNoDictationWindow>();
}

void TerminalKeys::EndSelectionHold() {
    if (ReceivePipeline *pipeline = m_window.Pipeline()) {
        pipeline->setSelectionHold(false);
    }
    m_ui.terminal->ClearSelection();
}
