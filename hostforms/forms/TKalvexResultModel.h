// The result-entry control without widgets: the host's data blocks (layout, ranges, results, single
// fields), the fields with their rows, columns, widths, allowed characters, masks and limits, the
// tab order, the calculation rules, the function-key jumps, the lines shown in each display state,
// the page's marks and the hit test. Every index the host gives is checked: a missing line, field,
// operand or target is empty or skipped.
#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <optional>

class TKalvexResultModel {
public:
    enum class State { Empty, Edit, Review, Final, Print };

    // One range line (one per field, fields numbered from 1).
    struct Field {
        bool valid = false; // row, column and width are numbers
        int row = 0;        // layout line, from 1
        int column = 0;     // from 1
        int width = 0;
        QByteArray allowed; // pairs of first and last character
        QByteArray mask;
        std::optional<int> rangeWidth;
        bool freeText = false; // width 80 and mask "l(#80)"
    };
    // A run of layout text between blanks, in the style its marks set.
    struct Run {
        int column = 0; // from 0
        QByteArray text;
        bool bold = false, underline = false, red = false;
    };
    struct LayoutLine {
        QList<Run> runs;
        QList<int> fields;                 // the fields whose "@" is on this line
        QList<QPair<int, int>> rangeMarks; // field, column of its "~"
    };
    struct Change {
        int field;
        QByteArray text;
        bool operator==(const Change &) const = default;
    };

    // The data blocks of fields 22 onward, joined by line breaks (0x04 and 0x05 stand for 0xFD, 0xFC).
    // Returns the changes the rules made when results came.
    QList<Change> SetData(const QByteArray &blocks);
    void SetLayout(const QList<QByteArray> &lines);
    void SetRange(const QByteArray &text);
    // Returns the changes the recalculated rules made.
    QList<Change> SetResult(const QList<QByteArray> &lines);
    void SetField(qint64 n, const QByteArray &text);
    void Reset();

    // The lines of a file for the Load methods (line feeds with or without carriage returns), read
    // with the checks of any file the host names; nothing, with the reason, when it cannot be read.
    static std::optional<QList<QByteArray>> fileLines(const QByteArray &path, QByteArray *error);

    const QList<QByteArray> &layout() const { return m_layout; }
    const QList<QByteArray> &results() const { return m_results; }
    int fieldCount() const { return int(m_fields.size()); }
    // Field n (from 1); an invalid field when there is none.
    Field field(int n) const;
    QByteArray result(int n) const;
    // The first field of the multi-line group holding n, and the group's line count.
    int groupStart(int n) const;
    int groupLines(int n) const;
    QList<int> fieldOrder() const;

    // The value shown: marks removed, cut to the width, formatted by the mask.
    QByteArray displayValue(int n) const;
    // The value the editor starts with: marks removed and trimmed.
    QByteArray editValue(int n) const;
    bool outOfRange(int n) const;
    // The reference range text of field n (its range entry without 0xFC).
    QByteArray rangeText(int n) const;
    bool accepts(int n, char c) const;

    // Tab order: the next and previous field of the order, wrapping; 0 when there is no order.
    int nextField(int current) const;
    int previousField(int current) const;
    int firstField() const;
    // Function key n (1-9): the field its "jump" names, when there is one.
    std::optional<int> jumpTarget(int n) const;

    // Stores the editor's lines for the group at `field`: every changed line, then the rules that
    // use a changed field (each rule at most once per commit, a cycle included).
    QList<Change> Commit(int field, const QList<QByteArray> &lines);
    QList<Change> recalculateAll();

    // Lines of the page in `state` (layout line indexes), and each line parsed into runs. Final and
    // review show the window between the marks (below) and leave out its blank one-field lines.
    QList<int> shownLines(State state) const;
    // The window final and review show, as layout line indexes (both included): from the lowest line
    // that begins with "!", or holds the field of a result value that does, to the lowest such line
    // for "*". Without a "!" it starts at the top, without a "*" (or with one above the start) it
    // runs to the end.
    QPair<int, int> reviewWindow() const;
    // The layout line holding field n's "@"; -1 when there is none.
    int lineOfField(int n) const;
    LayoutLine parseLine(int index) const;

    // Field under a point of the page: row and column from the margins, the line height and the
    // page width; 0 when none (or when the metrics are degenerate).
    int hitTest(int x, int y, int lineHeight, int pageWidth) const;

    static constexpr int kColumns = 80;
    static constexpr int kTopMargin = 6, kBottomMargin = 6, kLeftMargin = 24, kRightMargin = 24;
    // Marks removed: "{", "|" and "_".
    static QByteArray withoutMarks(const QByteArray &text);
    // Decimal text of a rule's result: "." and 15 significant digits, no trailing zeros.
    static QByteArray numberText(double v);
    static std::optional<double> number(const QByteArray &text);
    // Wrapping a full line of a free-text field when a character is typed at column 80: the line is
    // cut after its last blank, comma, full stop, question mark, parenthesis or angle bracket and
    // the rest moves to a new line below. False (nothing changed) when there is no such character or
    // no room for another line.
    static bool wrapLine(QList<QByteArray> &lines, int line, int maxLines);

private:
    QList<Change> evaluateRules(QSet<int> changed);
    std::optional<Change> evaluateRule(int field);
    QByteArray line(const QList<QByteArray> &lines, int n) const;
    // The "@" count of the lines above each layout line, so a line is parsed without rereading them.
    void countFields();

    QList<QByteArray> m_layout, m_rangeLines, m_results, m_rules, m_fnActions;
    QList<Field> m_fields;
    QList<int> m_order;
    QList<int> m_fieldsBefore;
    QList<QByteArray> m_ranges;
};
