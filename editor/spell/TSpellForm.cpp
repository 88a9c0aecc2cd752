// The spelling check dialog.
#include "editor/spell/TSpellForm.h"

#include "common/UserMessages.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <algorithm>

namespace {
const QString kNotFound = QStringLiteral("Not found:");
const QString kDuplicate = QStringLiteral("Duplicate word:");
const QString kChange = QStringLiteral("&Change");
const QString kDeleteSecond = QStringLiteral("Delete 2nd");
} // namespace

TSpellForm::TSpellForm(const QString &mainDictionary, const QString &customDictionary, UserMessages &messages,
                       QWidget *parent)
    : QDialog(parent), m_mainDictionary(mainDictionary), m_customDictionary(customDictionary),
      m_messages(messages) {
    setObjectName(QStringLiteral("SpellForm"));
    setWindowTitle(QStringLiteral("Spell Checker"));
    auto *grid = new QGridLayout(this);
    auto named = [](QWidget *w, const char *name) {
        w->setObjectName(QLatin1String(name));
        return w;
    };
    m_prompt = new QLabel(kNotFound, this);
    named(m_prompt, "Prompt");
    m_wordEdit = new QLineEdit(this);
    named(m_wordEdit, "WordEdit");
    m_wordEdit->setReadOnly(true);
    m_changeToEdit = new QLineEdit(this);
    named(m_changeToEdit, "Changetoedit");
    m_suggestionList = new QListWidget(this);
    named(m_suggestionList, "SuggestionList");
    m_contextRich = new QTextEdit(this);
    named(m_contextRich, "ContextRich");
    m_contextRich->setReadOnly(true);
    m_contextRich->setMaximumHeight(60);
    auto button = [&](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    m_changeButton = button(kChange, "ChangeButton");
    m_changeAllButton = button(QStringLiteral("Change A&ll"), "ChangeAllButton");
    m_ignoreButton = button(QStringLiteral("&Ignore"), "IgnoreButton");
    m_ignoreAllButton = button(QStringLiteral("I&gnore All"), "IgnoreAllButton");
    m_addButton = button(QStringLiteral("&Add"), "AddButton");
    m_suggestButton = button(QStringLiteral("&Suggest"), "SuggestButton");
    m_optionButton = button(QStringLiteral("&Options"), "OptionButton");
    m_optionButton->setEnabled(false);
    m_closeButton = button(QStringLiteral("Cancel"), "CloseButton");
    grid->addWidget(m_contextRich, 0, 0, 1, 3);
    grid->addWidget(m_prompt, 1, 0);
    grid->addWidget(m_wordEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Change to:"), this), 2, 0);
    grid->addWidget(m_changeToEdit, 2, 1);
    grid->addWidget(m_suggestionList, 3, 0, 6, 2);
    int row = 1;
    for (QPushButton *b : {m_changeButton, m_changeAllButton, m_ignoreButton, m_ignoreAllButton, m_addButton,
                           m_suggestButton, m_optionButton, m_closeButton})
        grid->addWidget(b, row++, 2);

    connect(m_suggestionList, &QListWidget::currentTextChanged, m_changeToEdit, &QLineEdit::setText);
    connect(m_changeToEdit, &QLineEdit::textEdited, this, [this] { m_suggestButton->setEnabled(true); });
    connect(m_changeButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        if (m_duplicate)
            m_session->DeleteSecond();
        else
            m_session->Change(m_changeToEdit->text());
        advance();
    });
    connect(m_changeAllButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        m_checker.ChangeAll(m_session->Word, m_changeToEdit->text());
        m_session->Change(m_changeToEdit->text());
        advance();
    });
    connect(m_ignoreButton, &QPushButton::clicked, this, [this] { advance(); });
    connect(m_ignoreAllButton, &QPushButton::clicked, this, [this] {
        if (m_session)
            m_checker.IgnoreAll(m_session->Word);
        advance();
    });
    connect(m_addButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        m_checker.Add(m_session->Word);
        QString error;
        if (!m_checker.SaveCustom(&error) || !OpenDictionaries())
            m_messages.error(
                QStringLiteral("Dictionary error"),
                QStringLiteral("An error occurred updating the Dictionary.\rThe spelling  checker "
                               "may no longer function."));
        m_session->RebuildIndex();
        advance();
    });
    connect(m_suggestButton, &QPushButton::clicked, this,
            [this] { fillSuggestions(m_changeToEdit->text().trimmed()); });
    connect(m_closeButton, &QPushButton::clicked, this, [this] {
        m_checker.SaveCustom();
        m_contextRich->clear();
        m_session.reset();
        reject();
    });
}

bool TSpellForm::OpenDictionaries() {
    if (m_checker.Open(m_mainDictionary, m_customDictionary))
        return true;
    m_messages.error(QStringLiteral("Dictionary error"), QStringLiteral("The Dictionaries did not load."));
    return false;
}

bool TSpellForm::Start(const QString &text, int start,
                       std::function<void(int, int, const QString &)> replace) {
    if (!m_checker.IsOpen() && !OpenDictionaries())
        return false;
    m_session = std::make_unique<TSpellSession>(m_checker, text, start, std::move(replace));
    return advance();
}

bool TSpellForm::advance() {
    const TSpellSession::Stop stop = m_session->Next();
    if (stop == TSpellSession::Finished) {
        finish();
        return false;
    }
    showStop(stop);
    return true;
}

void TSpellForm::showStop(TSpellSession::Stop stop) {
    m_duplicate = stop == TSpellSession::Duplicate;
    m_prompt->setText(m_duplicate ? kDuplicate : kNotFound);
    m_changeButton->setText(m_duplicate ? kDeleteSecond : kChange);
    for (QPushButton *b : {m_changeAllButton, m_ignoreAllButton, m_addButton, m_suggestButton})
        b->setEnabled(!m_duplicate);
    m_wordEdit->setText(m_session->Word);
    m_contextRich->setPlainText(m_session->Context());
    if (m_duplicate) {
        // The repeated word stands out in its context, so the user sees which one goes.
        QTextCursor c(m_contextRich->document());
        c.setPosition(m_session->ContextWordStart());
        c.setPosition(std::min(int(m_contextRich->toPlainText().size()),
                               m_session->ContextWordStart() + int(m_session->Word.size())),
                      QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setForeground(Qt::red);
        f.setFontWeight(QFont::Bold);
        c.mergeCharFormat(f);
    }
    m_suggestionList->clear();
    m_changeToEdit->clear();
    if (!m_duplicate)
        fillSuggestions(m_session->Word);
}

void TSpellForm::fillSuggestions(const QString &word) {
    m_suggestionList->clear();
    const QStringList s = m_session ? m_session->Suggestions(word) : QStringList();
    m_suggestionList->addItems(s);
    m_changeToEdit->setText(s.value(0));
    m_suggestButton->setEnabled(false);
}

void TSpellForm::finish() {
    const bool errors = m_session && m_session->ErrorsFound;
    m_session.reset();
    if (isVisible())
        accept();
    m_messages.information(QStringLiteral("Spelling Check"),
                           QStringLiteral("Spelling Check complete.\r\n") +
                               (errors ? QString() : QStringLiteral("No errors detected.")));
}
