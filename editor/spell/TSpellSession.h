// The walk of a spelling check through a text: words are runs of the letters A-Z and a-z; known
// misspellings are corrected at once, repeated words and unknown words stop the walk for the user.
#pragma once

#include "platform/spell/TSpellChecker.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <functional>

// Soundex of a word: its first letter and three digits (letters coded alike on either side of H or
// W count once), "" for a word without letters.
QString Soundex(const QString &word);

// The custom words by their Soundex code.
class TPhoneticIndex {
public:
    void Build(const QStringList &words);
    QStringList Matches(const QString &word) const;

private:
    QList<QPair<QString, QString>> m_entries; // code, word; sorted
};

// The replacement in the case of the word it replaces: a capital first letter stays capital, a
// capital last letter makes the whole replacement capitals.
QString WithCaseOf(const QString &word, const QString &replacement);

class TSpellSession {
public:
    // `replace` changes the document as the session changes its copy of the text.
    TSpellSession(TSpellChecker &checker, const QString &text, int start,
                  std::function<void(int start, int length, const QString &text)> replace);

    enum Stop { Finished, NotFound, Duplicate };
    // Goes on to the next word that needs the user.
    Stop Next();
    // Replaces the current word (case rule applied) and goes on from after the replacement.
    void Change(const QString &replacement);
    // Deletes the repeated word with the space before it.
    void DeleteSecond();
    QStringList Suggestions(const QString &word) const;
    // "..." and the 50 characters from 25 before the word, line ends and non-ASCII as ".".
    QString Context() const;
    // Where the current word starts in Context().
    int ContextWordStart() const;
    void RebuildIndex();

    QString Word;
    int WordStart = 0;
    bool ErrorsFound = false;
    const QString &Text() const { return m_text; }

private:
    void replaceRange(int start, int length, const QString &text);

    TSpellChecker &m_checker;
    QString m_text;
    int m_pos;
    int m_previousEnd = -1;
    QString m_previous;
    std::function<void(int, int, const QString &)> m_replace;
    TPhoneticIndex m_index;
};
