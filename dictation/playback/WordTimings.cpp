#include "dictation/playback/WordTimings.h"

#include <QStringList>

namespace {
bool parseTime(const QString &field, int &value) {
    bool ok = false;
    value = field.trimmed().toInt(&ok);
    return ok;
}
} // namespace

QString UpperCaseSameLength(const QString &text) {
    QString upper = text;
    for (QChar &c : upper)
        c = c.toUpper();
    return upper;
}

std::vector<TWordTiming> ParseWordTimings(const QString &list) {
    QString clean = list;
    clean.remove(QLatin1Char('\r'));
    clean.remove(QLatin1Char('\n'));
    std::vector<TWordTiming> words;
    for (const QString &entry : clean.split(QLatin1Char(']'))) {
        const QStringList fields = entry.split(QLatin1Char('\\'));
        TWordTiming word;
        if (fields.size() < 3 || fields[0].isEmpty() || !parseTime(fields[1], word.Start) ||
            !parseTime(fields[2], word.End))
            continue;
        const QString &text = fields[0];
        if (text.startsWith(QLatin1Char('<')) && text.endsWith(QLatin1Char('>')))
            continue;
        while (!words.empty() && word.Start < words.back().End)
            words.pop_back();
        if (text == QLatin1String("@_NewLine"))
            word.Text = QStringLiteral("\n");
        else if (text == QLatin1String("@_Paragraph"))
            word.Text = QStringLiteral("\n\n");
        else if (text == QLatin1String("@_Tab"))
            word.Text = QStringLiteral("\t");
        else
            word.Text = UpperCaseSameLength(text);
        words.push_back(word);
    }
    for (std::size_t i = 1; i + 1 < words.size(); ++i)
        if (words[i].Start > words[i + 1].Start)
            words[i].Start = words[i - 1].End;
    return words;
}
