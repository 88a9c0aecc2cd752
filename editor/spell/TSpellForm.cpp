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
    Prompt = new QLabel(kNotFound, this);
    named(Prompt, "Prompt");
    WordEdit = new QLineEdit(this);
    named(WordEdit, "WordEdit");
    WordEdit->setReadOnly(true);
    Changetoedit = new QLineEdit(this);
    named(Changetoedit, "Changetoedit");
    SuggestionList = new QListWidget(this);
    named(SuggestionList, "SuggestionList");
    ContextRich = new QTextEdit(this);
    named(ContextRich, "ContextRich");
    ContextRich->setReadOnly(true);
    ContextRich->setMaximumHeight(60);
    auto button = [&](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    ChangeButton = button(kChange, "ChangeButton");
    ChangeAllButton = button(QStringLiteral("Change A&ll"), "ChangeAllButton");
    IgnoreButton = button(QStringLiteral("&Ignore"), "IgnoreButton");
    IgnoreAllButton = button(QStringLiteral("I&gnore All"), "IgnoreAllButton");
    AddButton = button(QStringLiteral("&Add"), "AddButton");
    SuggestButton = button(QStringLiteral("&Suggest"), "SuggestButton");
    OptionButton = button(QStringLiteral("&Options"), "OptionButton");
    OptionButton->setEnabled(false);
    CloseButton = button(QStringLiteral("Cancel"), "CloseButton");
    grid->addWidget(ContextRich, 0, 0, 1, 3);
    grid->addWidget(Prompt, 1, 0);
    grid->addWidget(WordEdit, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Change to:"), this), 2, 0);
    grid->addWidget(Changetoedit, 2, 1);
    grid->addWidget(SuggestionList, 3, 0, 6, 2);
    int row = 1;
    for (QPushButton *b : {ChangeButton, ChangeAllButton, IgnoreButton, IgnoreAllButton, AddButton,
                           SuggestButton, OptionButton, CloseButton})
        grid->addWidget(b, row++, 2);

    connect(SuggestionList, &QListWidget::currentTextChanged, Changetoedit, &QLineEdit::setText);
    connect(Changetoedit, &QLineEdit::textEdited, this, [this] { SuggestButton->setEnabled(true); });
    connect(ChangeButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        if (m_duplicate)
            m_session->DeleteSecond();
        else
            m_session->Change(Changetoedit->text());
        advance();
    });
    connect(ChangeAllButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        Checker.ChangeAll(m_session->Word, Changetoedit->text());
        m_session->Change(Changetoedit->text());
        advance();
    });
    connect(IgnoreButton, &QPushButton::clicked, this, [this] { advance(); });
    connect(IgnoreAllButton, &QPushButton::clicked, this, [this] {
        if (m_session)
            Checker.IgnoreAll(m_session->Word);
        advance();
    });
    connect(AddButton, &QPushButton::clicked, this, [this] {
        if (!m_session)
            return;
        Checker.Add(m_session->Word);
        QString error;
        if (!Checker.SaveCustom(&error) || !OpenDictionaries())
            m_messages.error(
                QStringLiteral("Dictionary error"),
                QStringLiteral("An error occurred updating the Dictionary.\rThe spelling  checker "
                               "may no longer function."));
        m_session->RebuildIndex();
        advance();
    });
    connect(SuggestButton, &QPushButton::clicked, this,
            [this] { fillSuggestions(Changetoedit->text().trimmed()); });
    connect(CloseButton, &QPushButton::clicked, this, [this] {
        Checker.SaveCustom();
        ContextRich->clear();
        m_session.reset();
        reject();
    });
}

bool TSpellForm::OpenDictionaries() {
    if (Checker.Open(m_mainDictionary, m_customDictionary))
        return true;
    m_messages.error(QStringLiteral("Dictionary error"), QStringLiteral("The Dictionaries did not load."));
    return false;
}

bool TSpellForm::Start(const QString &text, int start,
                       std::function<void(int, int, const QString &)> replace) {
    if (!Checker.IsOpen() && !OpenDictionaries())
        return false;
    m_session = std::make_unique<TSpellSession>(Checker, text, start, std::move(replace));
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
    Prompt->setText(m_duplicate ? kDuplicate : kNotFound);
    ChangeButton->setText(m_duplicate ? kDeleteSecond : kChange);
    for (QPushButton *b : {ChangeAllButton, IgnoreAllButton, AddButton, SuggestButton})
        b->setEnabled(!m_duplicate);
    WordEdit->setText(m_session->Word);
    ContextRich->setPlainText(m_session->Context());
    if (m_duplicate) {
        // The repeated word stands out in its context, so the user sees which one goes.
        QTextCursor c(ContextRich->document());
        c.setPosition(m_session->ContextWordStart());
        c.setPosition(std::min(int(ContextRich->toPlainText().size()),
                               m_session->ContextWordStart() + int(m_session->Word.size())),
                      QTextCursor::KeepAnchor);
        QTextCharFormat f;
        f.setForeground(Qt::red);
        f.setFontWeight(QFont::Bold);
        c.mergeCharFormat(f);
    }
    SuggestionList->clear();
    Changetoedit->clear();
    if (!m_duplicate)
        fillSuggestions(m_session->Word);
}

void TSpellForm::fillSuggestions(const QString &word) {
    SuggestionList->clear();
    const QStringList s = m_session ? m_session->Suggestions(word) : QStringList();
    SuggestionList->addItems(s);
    Changetoedit->setText(s.value(0));
    SuggestButton->setEnabled(false);
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
