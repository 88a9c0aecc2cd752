// The spelling check's walk, its Soundex index and its case rule.
#include "editor/spell/TSpellSession.h"

#include <algorithm>

namespace {

bool isLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

char soundexDigit(QChar c) {
    switch (c.toUpper().unicode()) {
    case 'B':
    case 'F':
    case 'P':
    case 'V':
        return '1';
    case 'C':
    case 'G':
    case 'J':
    case 'K':
    case 'Q':
    case 'S':
    case 'X':
    case 'Z':
        return '2';
    case 'D':
    case 'T':
        return '3';
    case 'L':
        return '4';
    case 'M':
    case 'N':
        return '5';
    case 'R':
        return '6';
    case 'H':
    case 'W':
        return 'h';
    default:
        return '0'; // vowels and Y separate equal codes
    }
}

} // namespace

QString Soundex(const QString &word) {
    QString letters;
    for (QChar c : word)
        if (isLetter(c))
            letters += c.toUpper();
    if (letters.isEmpty())
        return {};
    QString code(letters.at(0));
    char last = soundexDigit(letters.at(0));
    for (qsizetype i = 1; i < letters.size() && code.size() < 4; ++i) {
        const char d = soundexDigit(letters.at(i));
        if (d == 'h')
            continue; // H and W do not separate letters of the same code
        if (d != '0' && d != last)
            code += QLatin1Char(d);
        last = d;
    }
    return code.leftJustified(4, QLatin1Char('0'));
}

void TPhoneticIndex::Build(const QStringList &words) {
    m_entries.clear();
    for (const QString &w : words)
        if (!w.isEmpty())
            m_entries.append({Soundex(w), w});
    std::sort(m_entries.begin(), m_entries.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first < b.first : a.second.compare(b.second, Qt::CaseInsensitive) < 0;
    });
}

QStringList TPhoneticIndex::Matches(const QString &word) const {
    const QString code = Soundex(word);
    const auto lo = std::lower_bound(m_entries.begin(), m_entries.end(), code,
                                     [](const auto &e, const QString &c) { return e.first < c; });
    QStringList out;
    for (auto it = lo; it != m_entries.end() && it->first == code; ++it)
        out.append(it->second);
    return out;
}

QString WithCaseOf(const QString &word, const QString &replacement) {
    if (word.isEmpty() || replacement.isEmpty())
        return replacement;
    if (word.back().isUpper())
        return replacement.toUpper();
    QString out = replacement;
    if (word.front().isUpper())
        out[0] = out[0].toUpper();
    return out;
}

TSpellSession::TSpellSession(TSpellChecker &checker, const QString &text, int start,
                             std::function<void(int, int, const QString &)> replace)
    : m_checker(checker), m_text(text), m_pos(qBound(0, start, int(text.size()))),
      m_replace(std::move(replace)) {
    RebuildIndex();
}

void TSpellSession::RebuildIndex() {
    m_index.Build(m_checker.CustomWords());
}

void TSpellSession::replaceRange(int start, int length, const QString &text) {
    m_text.replace(start, length, text);
    if (m_replace)
        m_replace(start, length, text);
}

TSpellSession::Stop TSpellSession::Next() {
    const int n = int(m_text.size());
    for (;;) {
        while (m_pos < n && !isLetter(m_text.at(m_pos)))
            ++m_pos;
        if (m_pos >= n)
            return Finished;
        const int start = m_pos;
        while (m_pos < n && isLetter(m_text.at(m_pos)))
            ++m_pos;
        Word = m_text.mid(start, m_pos - start);
        WordStart = start;
        const bool duplicate = m_previous.compare(Word, Qt::CaseInsensitive) == 0;
        const int previousEnd = m_previousEnd;
        m_previous = Word;
        m_previousEnd = m_pos;
        if (duplicate) {
            m_previousEnd = previousEnd;
            ErrorsFound = true;
            return Duplicate;
        }
        if (m_checker.Check(Word))
            continue;
        const QString correction = m_checker.AutoCorrect(Word);
        if (!correction.isEmpty()) {
            // Corrected at once; the walk goes on after the replacement, so it is never checked again.
            const QString fixed = WithCaseOf(Word, correction);
            replaceRange(start, int(Word.size()), fixed);
            m_pos = start + int(fixed.size());
            m_previous = fixed;
            m_previousEnd = m_pos;
            continue;
        }
        ErrorsFound = true;
        return NotFound;
    }
}

void TSpellSession::Change(const QString &replacement) {
    const QString fixed = WithCaseOf(Word, replacement);
    replaceRange(WordStart, int(Word.size()), fixed);
    m_pos = WordStart + int(fixed.size());
    m_previous = fixed;
    m_previousEnd = m_pos;
}

void TSpellSession::DeleteSecond() {
    const int from = m_previousEnd >= 0 && m_previousEnd <= WordStart ? m_previousEnd : WordStart;
    replaceRange(from, WordStart + int(Word.size()) - from, QString());
    m_pos = from;
    m_previousEnd = from;
}

QStringList TSpellSession::Suggestions(const QString &word) const {
    QStringList out;
    auto add = [&](const QString &s) {
        if (!s.isEmpty() && s != word && !out.contains(s))
            out.append(s);
    };
    for (const QString &s : m_index.Matches(word))
        add(s);
    for (const QString &s : m_checker.Suggestions(word))
        add(s);
    if (!word.isEmpty()) {
        const QString rest = word.mid(1);
        if (m_checker.Check(rest))
            add(rest);
        const bool lower = word.front().isLower();
        for (char c = 'a'; c <= 'z'; ++c) {
            const QString v = QChar(lower ? c : QChar(c).toUpper().unicode()) + rest;
            if (m_checker.Check(v))
                add(v);
        }
    }
    return out;
}

namespace {
int contextFrom(int wordStart, qsizetype size) {
    return qBound(0, wordStart - 25, int(size));
}
} // namespace

int TSpellSession::ContextWordStart() const {
    return 3 + WordStart - contextFrom(WordStart, m_text.size());
}

QString TSpellSession::Context() const {
    const int from = contextFrom(WordStart, m_text.size());
    QString part = m_text.mid(from, 50);
    for (QChar &c : part)
        if (c == '\r' || c == '\n' || c.unicode() > 0x7F)
            c = '.';
    return QStringLiteral("...") + part;
}
