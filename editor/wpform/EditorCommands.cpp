// Command decisions of the results editor.
#include "editor/wpform/EditorCommands.h"

#include <cmath>

namespace {
constexpr int kScriptRise = 70;
constexpr int kIndentStep = 1000;
constexpr int kIndentLimit = 9999;
constexpr int kPageWidthPx = 794;
} // namespace

ScriptState SuperScriptStep(ScriptState s) {
    if (s.baseLine == 0)
        return {qMax(1, s.size - 2), kScriptRise};
    if (s.baseLine > 0)
        return {s.size + 2, 0};
    return {s.size, kScriptRise};
}

ScriptState SubScriptStep(ScriptState s) {
    if (s.baseLine == 0)
        return {qMax(1, s.size - 2), -kScriptRise};
    if (s.baseLine < 0)
        return {s.size + 2, 0};
    return {s.size, -kScriptRise};
}

int IndentStep(int twips, bool add) {
    if (add)
        return twips < kIndentLimit ? twips + kIndentStep : twips;
    return twips > 0 ? twips - kIndentStep : twips;
}

int PictureInsertScale(int widthPx) {
    if (widthPx <= 0)
        return 0;
    const double fit = 0.8 * kPageWidthPx;
    if (widthPx <= fit)
        return 100;
    return int(std::lround(fit / widthPx * 100.0));
}

QString DateItemText(int tag, const QDateTime &when, const QLocale &locale) {
    const QDate d = when.date();
    const QTime t = when.time();
    switch (tag) {
    case 1:
        return locale.toString(d, QLocale::ShortFormat);
    case 2:
        return locale.toString(d, QLocale::LongFormat);
    case 3:
        return locale.toString(d, QLocale::ShortFormat) + ' ' + locale.toString(t, QLocale::ShortFormat);
    case 4:
        return locale.toString(d, QLocale::LongFormat) + ' ' + locale.toString(t, QLocale::ShortFormat);
    case 5:
        return locale.toString(d, QLocale::ShortFormat) + ' ' + locale.toString(t, QLocale::LongFormat);
    case 6:
        return locale.toString(d, QLocale::LongFormat) + ' ' + locale.toString(t, QLocale::LongFormat);
    default:
        return {};
    }
}

void TTableList::created(int id) {
    if (id == 0 || id == -1)
        return;
    for (const TTableEntry &e : entries)
        if (e.id == id)
            return;
    entries.append({id, 0, 0});
}

void TTableList::deleted(int id) {
    for (TTableEntry &e : entries)
        if (e.id == id)
            e = {};
}
