// The spell checker the editor works with: a main dictionary (hunspell .aff/.dic), the user's word
// list (one word a line), automatic corrections from "autocorrect.txt" beside that list
// ("wrong=right" lines), and the session's change-all and ignore-all lists.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class Hunspell;

class TSpellChecker {
public:
    TSpellChecker();
    ~TSpellChecker();

    // `mainDictionary` is the path without ".aff"/".dic"; a missing custom list is an empty one.
    bool Open(const QString &mainDictionary, const QString &customDictionary);
    bool IsOpen() const { return bool(m_hunspell); }
    bool Check(const QString &word) const;
    // The correction to apply at once (an automatic correction or a change-all), or empty.
    QString AutoCorrect(const QString &word) const;
    QStringList Suggestions(const QString &word) const;
    void ChangeAll(const QString &word, const QString &replacement);
    void IgnoreAll(const QString &word);
    void Add(const QString &word);
    // Writes the custom word list (made on the first save); false with `error` set on failure.
    bool SaveCustom(QString *error = nullptr);
    const QStringList &CustomWords() const { return m_custom; }
    QString CustomDictionary() const { return m_customPath; }

private:
    std::unique_ptr<Hunspell> m_hunspell;
    QString m_customPath;
    QStringList m_custom;
    QHash<QString, QString> m_autoCorrect;
    QHash<QString, QString> m_changeAll;
    QSet<QString> m_ignored;
};
