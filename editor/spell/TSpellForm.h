// The "Spell Checker" dialog: the word the walk stopped at, its context and suggestions, and the
// buttons that change, ignore or add it.
#pragma once

#include "editor/spell/TSpellSession.h"

#include <QDialog>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;
class UserMessages;

class TSpellForm : public QDialog {
    Q_OBJECT
public:
    // `mainDictionary`: the hunspell dictionary's path without ".aff"/".dic".
    TSpellForm(const QString &mainDictionary, const QString &customDictionary, UserMessages &messages,
               QWidget *parent = nullptr);

    // Opens the dictionaries; false (and the box shown) when they did not load.
    bool OpenDictionaries();
    // Starts a check of `text` from `start`; true when a word needs the user (show the dialog).
    bool Start(const QString &text, int start, std::function<void(int, int, const QString &)> replace);

private:
    // Runs the walk to the next stop; false when it finished (the dialog closed).
    bool advance();
    void showStop(TSpellSession::Stop stop);
    void fillSuggestions(const QString &word);
    void finish();

    QString m_mainDictionary, m_customDictionary;
    UserMessages &m_messages;
    std::unique_ptr<TSpellSession> m_session;
    bool m_duplicate = false;
    // The parts carry the object names tests find them by ("WordEdit", "Changetoedit", "Prompt", ...).
    QLineEdit *m_wordEdit, *m_changeToEdit;
    QLabel *m_prompt;
    QListWidget *m_suggestionList;
    QTextEdit *m_contextRich;
    QPushButton *m_changeButton, *m_changeAllButton, *m_ignoreButton, *m_ignoreAllButton, *m_addButton,
        *m_suggestButton, *m_optionButton, *m_closeButton;
    TSpellChecker m_checker;
};
