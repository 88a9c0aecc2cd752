// The decisions of the editor's commands that need no window: the superscript and subscript steps,
// indent steps, the scale of an inserted picture, the date items and the table list.
#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

struct ScriptState {
    int size = 10; // points
    int baseLine = 0;
    bool operator==(const ScriptState &) const = default;
};
// Superscript: normal text goes up 70 and two points smaller; raised text comes back down two
// points larger; lowered text goes up. Subscript is the mirror image. A size never drops below 1.
ScriptState SuperScriptStep(ScriptState s);
ScriptState SubScriptStep(ScriptState s);

// An indent step of 1000 twips: up while below 9999, down while above 0.
int IndentStep(int twips, bool add);

// The scale of a picture inserted from a file: 100, or what fits 80 % of the page width (794
// pixels); 0 when the picture could not be measured.
int PictureInsertScale(int widthPx);

// The text of a date and time item (tags 1 to 6).
QString DateItemText(int tag, const QDateTime &when, const QLocale &locale);

// Rows and columns a new table may have.
constexpr int MaxTableRows = 200;
constexpr int MaxTableColumns = 50;

// The editor's list of tables, kept from the control's created and deleted events.
struct TTableEntry {
    int id = 0;
    int start = 0, end = 0;
};
class TTableList {
public:
    void created(int id);
    void deleted(int id);
    QList<TTableEntry> entries;
};
