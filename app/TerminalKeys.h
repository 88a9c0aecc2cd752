// Keys and the left button in the terminal: the key map first (its entries act on the link, the
// request images, the detached image window and the dictation window), the copy keys, and the
// selection hold that keeps the screen still while the user selects.
#pragma once

#include "app/keymap/KeyMap.h"

#include <QObject>
#include <memory>

class HostLink;
class QKeyEvent;
class RequestBox;
class TDictationKeyTarget;
class TOrvaMainForm;
class UserMessages;
struct MainWindowUi;
namespace orva::imaging {
class TImageKeyTarget;
}

class TerminalKeys : public QObject, private KeyMapActions {
public:
    TerminalKeys(TOrvaMainForm &window, const MainWindowUi &ui, HostLink &link, UserMessages &messages,
                 RequestBox &requestBox, std::unique_ptr<TDictationKeyTarget> dictationKeys);
    ~TerminalKeys() override;

    KeyMap &Map() { return m_keyMap; }
    // A key with a virtual-key code: the key's low byte and the shift state with held mouse buttons
    // go to the key map; a key the map takes is set to 0, so it types nothing.
    void VtTerminal1KeyDown(int &key, int shift);
    int MapKeyPress(int key, int shift);
    void doImageKey(int code);
    void SetImageKeyTarget(std::unique_ptr<orva::imaging::TImageKeyTarget> target);
    void SetDictationKeyTarget(std::unique_ptr<TDictationKeyTarget> target);
    void EndSelectionHold();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool terminalKeyPress(QKeyEvent *event);
    void terminalLeftButton(bool pressed);

    // What key-map entries do. Key text goes to the link whatever its state: the link drops what it
    // cannot send.
    void SendKeyText(const QByteArray &bytes) override;
    void ShowRequestImages() override;
    void DictationKey(TDictationKey key) override;

    TOrvaMainForm &m_window;
    const MainWindowUi &m_ui;
    HostLink &m_link;
    UserMessages &m_messages;
    RequestBox &m_requestBox;
    // Kept, so that events while the terminal goes are told apart without calling on it.
    QWidget *m_viewport = nullptr;
    KeyMap m_keyMap;
    std::unique_ptr<TDictationKeyTarget> m_dictationKeys;
    std::unique_ptr<orva::imaging::TImageKeyTarget> m_imageKeys;
};
