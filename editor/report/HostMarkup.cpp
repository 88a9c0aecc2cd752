// Host markup conversion. The read side scans the host's bytes for the mark bytes before any text
// is decoded; the write side walks the document's blocks, fragments, lists and tables directly.
#include "editor/report/HostMarkup.h"

#include "common/HostText.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

using orva::richtext::FieldIdProperty;
using orva::richtext::TWpDocument;

namespace {

constexpr double kMinPoints = 1.0;
constexpr double kMaxPoints = 400.0;
constexpr char kColourMark = char(0xA4);
constexpr char kSizeMark = char(0xA9);
constexpr char kFontMark = char(0xAE);
constexpr char kCaretMark = char(0xAF);
constexpr int kPlaceholderData = 20;
constexpr char kBlankCellMark = char(0xAB);
constexpr char kDownMark = char(0xAC);
constexpr char kNextCellMark = char(0xAD);
const QByteArray kMarks = QByteArray("{|_[]~`") + kColourMark + kSizeMark + kFontMark + kCaretMark;
const QByteArray kAbbreviationMarks =
    QByteArray("{|_~`") + kColourMark + kSizeMark + kFontMark + kBlankCellMark + kDownMark + kNextCellMark;

std::optional<qint64> parseNumber(const QByteArray &text) {
    const QByteArray t = text.trimmed();
    qint64 v = 0;
    const auto r = std::from_chars(t.constData(), t.constData() + t.size(), v);
    if (t.isEmpty() || r.ec != std::errc() || r.ptr != t.constData() + t.size())
        return std::nullopt;
    return v;
}

// Windows colour values are 0x00BBGGRR.
QColor fromWindowsColor(qint64 value) {
    const auto v = quint32(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

struct ImportState {
    bool bold = false, italic = false, underline = false;
    QColor colour;
    QString font;
    double size = 10;
};

QTextCharFormat formatOf(const ImportState &s) {
    QTextCharFormat f;
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline);
    f.setForeground(s.colour);
    f.setFontFamilies({s.font});
    f.setFontPointSize(s.size);
    f.setProperty(FieldIdProperty, 0);
    return f;
}

// A piece of text at the cursor: CR LF (from "~") ends a paragraph.
void writePiece(QTextCursor &c, const QByteArray &piece, const QTextCharFormat &f) {
    const QString text = HostText::toUnicode(piece);
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(QLatin1String("\r\n"), from);
        const QString run = text.mid(from, at < 0 ? -1 : at - from);
        if (!run.isEmpty())
            c.insertText(run, f);
        if (at < 0)
            break;
        c.insertBlock(c.blockFormat(), f);
        from = at + 2;
    }
}

// The table marks of abbreviation markup, at the cursor's cell; outside a table, or past its last
// row or cell, nothing happens.
void tableMark(QTextCursor &c, char mark) {
    QTextTable *table = c.currentTable();
    if (!table)
        return;
    const QTextTableCell cell = table->cellAt(c);
    if (!cell.isValid())
        return;
    if (mark == kBlankCellMark) {
        c.setPosition(cell.firstCursorPosition().position());
        c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        c.removeSelectedText();
        return;
    }
    int row = cell.row() + cell.rowSpan() - 1;
    int column = cell.column();
    if (mark == kDownMark) {
        ++row;
    } else if (column + cell.columnSpan() < table->columns()) {
        column += cell.columnSpan();
    } else {
        ++row;
        column = 0;
    }
    if (row >= table->rows())
        return;
    c.setPosition(table->cellAt(row, column).firstCursorPosition().position());
}

// A colour, size or font mark's value, up to the same mark closing it, into `next`; the position
// after the closing mark, or `pos` itself when none closes it (the mark is then ignored and the rest
// stays text). An empty or unreadable colour or size goes back to the one the text started with.
qsizetype readValueMark(const QByteArray &markup, qsizetype pos, char mark, ImportState &next,
                        const ImportState &defaults) {
    const qsizetype close = markup.indexOf(mark, pos);
    if (close < 0)
        return pos;
    const QByteArray value = markup.mid(pos, close - pos);
    if (mark == kColourMark) {
        const std::optional<qint64> v = parseNumber(value);
        next.colour = v ? fromWindowsColor(*v) : defaults.colour;
    } else if (mark == kSizeMark) {
        const std::optional<qint64> v = parseNumber(value);
        next.size = v ? qBound(kMinPoints, double(*v), kMaxPoints) : defaults.size;
    } else {
        next.font = HostText::toUnicode(value);
    }
    return close + 1;
}

// A placeholder field the user fills in: one changeable blank, followed by a plain blank when it ends
// the text.
void insertPlaceholder(TWpDocument &doc, QTextCursor &c, const ImportState &state, bool atEnd) {
    const int id = doc.newFieldId();
    doc.fieldTable()[id].changeable = true;
    doc.fieldTable()[id].data = kPlaceholderData;
    QTextCharFormat f = formatOf(state);
    f.setProperty(FieldIdProperty, id);
    c.insertText(QStringLiteral(" "), f);
    if (atEnd)
        c.insertText(QStringLiteral(" "), formatOf(state));
}

} // namespace

int ImportHostMarkup(TWpDocument &doc, QTextCursor &c, const QByteArray &markup, const QByteArray &fontName,
                     const QByteArray &fontSize, MarkupKind kind) {
    const QByteArray &marks = kind == MarkupKind::Abbreviation ? kAbbreviationMarks : kMarks;
    ImportState state;
    state.font = fontName.isEmpty() ? QStringLiteral("Courier New") : HostText::toUnicode(fontName);
    const std::optional<qint64> givenSize = parseNumber(fontSize);
    state.size = givenSize ? qBound(kMinPoints, double(*givenSize), kMaxPoints) : 10.0;
    state.colour = c.charFormat().foreground().color();
    const ImportState defaults = state;

    // One edit block: the layout and whoever watches the document see one change at the end, not
    // one per piece, which would cost the length of the paragraph each time.
    c.beginEditBlock();
    c.removeSelectedText();
    int firstPlaceholder = -1;
    qsizetype pos = 0;
    const qsizetype n = markup.size();
    while (pos < n) {
        qsizetype at = pos;
        while (at < n && !marks.contains(markup.at(at)))
            ++at;
        QByteArray piece = markup.mid(pos, at - pos);
        if (at >= n) {
            writePiece(c, piece, formatOf(state));
            break;
        }
        const char mark = markup.at(at);
        pos = at + 1;
        ImportState next = state;
        switch (mark) {
        case '{':
            next.bold = !state.bold;
            break;
        case '|':
            next.italic = !state.italic;
            break;
        case '_':
            next.underline = !state.underline;
            break;
        case '[':
        case ']':
            // The size change reaches back to the text before the mark.
            state.size = qBound(kMinPoints, state.size + (mark == '[' ? -1 : 1), kMaxPoints);
            next.size = state.size;
            break;
        case '~':
            piece += "\r\n";
            break;
        case kCaretMark:
            piece += '^';
            break;
        case kBlankCellMark:
        case kDownMark:
        case kNextCellMark:
            writePiece(c, piece, formatOf(state));
            piece.clear();
            tableMark(c, mark);
            break;
        case kColourMark:
        case kSizeMark:
        case kFontMark:
            pos = readValueMark(markup, pos, mark, next, defaults);
            break;
        default:
            break;
        }
        writePiece(c, piece, formatOf(state));
        if (mark == '`') {
            if (firstPlaceholder < 0)
                firstPlaceholder = c.position();
            insertPlaceholder(doc, c, state, pos >= n);
        }
        state = next;
    }
    c.endEditBlock();
    if (firstPlaceholder >= 0)
        c.setPosition(firstPlaceholder);
    return firstPlaceholder;
}

// ---- write direction ----------------------------------------------------------------------------

QByteArray MapReturnChar(char32_t code) {
    if (code == '\t' || code == '\n' || code == '\r' || (code >= 0x20 && code <= 0x7F))
        return QByteArray(1, char(code));
    switch (code) {
    case 0xA3:
        return "#";
    case 0xB1:
        return "+/-";
    case 0xB5:
        return "u";
    case 0xBC:
        return "1/4";
    case 0xBD:
        return "1/2";
    case 0xBE:
        return "3/4";
    default:
        return "?";
    }
}

namespace {

QByteArray mapText(const QString &text) {
    QByteArray out;
    out.reserve(text.size());
    for (const char32_t ch : text.toUcs4()) {
        if (ch == 0x2028 || ch == QChar::ParagraphSeparator)
            out += "\r\n";
        else
            out += MapReturnChar(ch);
    }
    return out;
}

// A rule: one punctuation character repeated ("-----", "====="). Words of letters or digits are
// text and are split, never shortened.
bool isRuleWord(const QByteArray &w) {
    if (w.isEmpty() || QChar::isLetterOrNumber(uchar(w.at(0))))
        return false;
    return w.count(w.at(0)) == w.size();
}

} // namespace

QByteArray WrapText(const QByteArray &input, int width) {
    QByteArray text = input;
    text.replace('\n', QByteArray());
    if (width <= 1) {
        QByteArrayList chars;
        for (char ch : text)
            if (ch != '\r')
                chars.append(QByteArray(1, ch));
        return chars.join("\r\n");
    }
    QByteArrayList lines;
    for (const QByteArray &paragraph : text.split('\r')) {
        QByteArray line;
        // Blanks inside a paragraph are kept (they space table grids and list prefixes); those at
        // its end are not, as each word already brings one.
        QByteArrayList words = paragraph.split(' ');
        while (!words.isEmpty() && words.last().isEmpty())
            words.removeLast();
        for (const QByteArray &word : std::as_const(words)) {
            if (word.size() < width) {
                if (!line.isEmpty() && line.size() + word.size() + 1 > width) {
                    lines.append(line);
                    line.clear();
                }
                line += word + ' ';
                continue;
            }
            // A word as wide as a line or wider. One of exactly the width fits an empty line and
            // is not cut; a rule of one repeated character is shortened to the width.
            if (word.size() == width || isRuleWord(word)) {
                if (!line.isEmpty())
                    lines.append(line);
                lines.append(word.left(width));
                line.clear();
                continue;
            }
            qsizetype room = width - line.size() - 1;
            if (room < 1) {
                lines.append(line);
                line.clear();
                room = width - 1;
            }
            lines.append(line + word.left(room) + '-');
            line.clear();
            QByteArray rest = word.mid(room);
            while (rest.size() > width - 1) {
                lines.append(rest.left(width - 1) + '-');
                rest = rest.mid(width - 1);
            }
            line = rest + ' ';
        }
        lines.append(line);
    }
    QByteArray out = lines.join("\r\n");
    while (out.endsWith('\r') || out.endsWith('\n'))
        out.chop(1);
    return out;
}

TConvTable::TConvTable(int rows, int columns, const QByteArray &borders)
    : Rows(qMax(0, rows)), Columns(qMax(0, columns)), Borders(borders), Cells(size_t(Rows * Columns)) {
    for (TConvCell &c : Cells)
        c.Borders = borders;
}

namespace {

constexpr int kGridWidth = 79;
constexpr int kThickBorder = 20; // twips
constexpr int kDefaultTextWidth = 794 * 15;

// Border character sets: 0-8 crossings, 9-11 horizontal lines, 12-14 vertical lines.
char borderChar(int twips, char normal, char thick) {
    if (twips <= 0)
        return ' ';
    return twips > kThickBorder ? thick : normal;
}

int columnTwips(const QTextTable *t, int column, int textWidth) {
    const QList<QTextLength> widths = t->format().columnWidthConstraints();
    double w = double(textWidth) / t->columns();
    if (column < widths.size()) {
        const QTextLength &l = widths.at(column);
        if (l.type() == QTextLength::FixedLength)
            w = l.rawValue() * orva::richtext::TwipsPerUnit;
        else if (l.type() == QTextLength::PercentageLength)
            w = l.rawValue() / 100.0 * textWidth;
    }
    return int(std::lround(w));
}

struct CellBorders {
    int top = 0, left = 0, bottom = 0, right = 0;
};

CellBorders bordersOf(const QTextTableCell &cell) {
    const QTextTableCellFormat f = cell.format().toTableCellFormat();
    auto tw = [](double units) { return orva::richtext::unitsToTwips(units); };
    return {tw(f.topBorder()), tw(f.leftBorder()), tw(f.bottomBorder()), tw(f.rightBorder())};
}

QByteArray convertTable(const QTextTable *t, const TWpDocument &doc) {
    int textWidth = doc.page.width - doc.page.marginL - doc.page.marginR;
    if (textWidth <= 0)
        textWidth = kDefaultTextWidth; // a letterhead whose margins fill the page
    TConvTable table(t->rows(), t->columns());
    QList<int> widths;
    int sum = 0;
    for (int col = 0; col < table.Columns; ++col) {
        const int chars =
            qMax(3, int(std::lround(double(columnTwips(t, col, textWidth)) / textWidth * 80.0)));
        widths.append(chars);
        sum += chars;
    }
    const int room = kGridWidth - table.Columns - 1;
    if (sum > room && sum > 0)
        for (int &w : widths)
            w = qMax(3, int(double(w) * room / sum));

    QList<QList<CellBorders>> borders(table.Rows, QList<CellBorders>(table.Columns));
    for (int row = 0; row < table.Rows; ++row) {
        for (int col = 0; col < table.Columns; ++col) {
            const QTextTableCell qc = t->cellAt(row, col);
            TConvCell &cell = table.cell(row, col);
            cell.Width = widths.at(col);
            borders[row][col] = bordersOf(qc);
            const QString text = TWpDocument::plainText(t->document(), qc.firstPosition(), qc.lastPosition());
            QByteArray wrapped = WrapText(mapText(text), cell.Width);
            for (QByteArray line : wrapped.split('\n')) {
                line.replace('\r', QByteArray());
                while (line.endsWith(' '))
                    line.chop(1);
                cell.Lines.append(line.left(cell.Width));
            }
            const CellBorders &b = borders[row][col];
            cell.Borders = table.Borders;
            for (int i : {9, 10, 11})
                cell.Borders[i] = borderChar(i == 9 ? b.top : b.bottom, '-', '=');
            cell.Borders[12] = borderChar(b.left, '+', '#');
            cell.Borders[14] = borderChar(b.right, '+', '#');
        }
    }

    QByteArray out;
    auto ruleLine = [&](int row) { // the line above `row` (row == Rows: below the last)
        QByteArray line;
        for (int col = 0; col < table.Columns; ++col) {
            const int above = row > 0 ? borders[row - 1][col].bottom : 0;
            const int below = row < table.Rows ? borders[row][col].top : 0;
            const int h = qMax(above, below);
            const int v =
                qMax(row < table.Rows ? borders[row][col].left : 0, row > 0 ? borders[row - 1][col].left : 0);
            line += borderChar(qMax(h, v), '+', '#');
            line += QByteArray(widths.at(col), borderChar(h, '-', '='));
        }
        const int last = table.Columns - 1;
        const int edge =
            qMax(row < table.Rows ? borders[row][last].right : 0, row > 0 ? borders[row - 1][last].right : 0);
        const int h =
            qMax(row > 0 ? borders[row - 1][last].bottom : 0, row < table.Rows ? borders[row][last].top : 0);
        line += borderChar(qMax(edge, h), '+', '#');
        return line;
    };
    for (int row = 0; row < table.Rows; ++row) {
        out += ruleLine(row) + "\r\n";
        qsizetype height = 1;
        for (int col = 0; col < table.Columns; ++col)
            height = qMax(height, table.cell(row, col).Lines.size());
        for (qsizetype l = 0; l < height; ++l) {
            QByteArray line;
            for (int col = 0; col < table.Columns; ++col) {
                const TConvCell &cell = table.cell(row, col);
                line += cell.Borders.at(12);
                line += cell.Lines.value(l).leftJustified(cell.Width, ' ');
            }
            line += table.cell(row, table.Columns - 1).Borders.at(14);
            out += line + "\r\n";
        }
    }
    if (table.Rows > 0 && table.Columns > 0)
        out += ruleLine(table.Rows) + "\r\n";
    return out;
}

QByteArray letters(int n, bool upper) {
    QByteArray s;
    for (; n > 0; n = (n - 1) / 26)
        s.prepend(char((upper ? 'A' : 'a') + (n - 1) % 26));
    return s;
}

QByteArray roman(int n, bool upper) {
    static const struct {
        int value;
        const char *text;
    } table[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
                 {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    QByteArray s;
    for (const auto &e : table)
        for (; n >= e.value && s.size() < 64; n -= e.value)
            s += e.text;
    return upper ? s.toUpper() : s;
}

QByteArray listPrefix(const QTextBlock &block) {
    QTextList *list = block.textList();
    if (!list)
        return {};
    const QTextListFormat f = list->format();
    const int level = qMax(1, f.indent());
    const QByteArray indent(3 * level - 1, ' ');
    const int style = -int(f.style());
    if (style < 4)
        return indent + " ->  ";
    const int number = list->itemNumber(block) + 1;
    QByteArray text;
    switch (style) {
    case 5:
        text = letters(number, false);
        break;
    case 6:
        text = letters(number, true);
        break;
    case 7:
        text = roman(number, false);
        break;
    case 8:
        text = roman(number, true);
        break;
    default:
        text = QByteArray::number(number);
        break;
    }
    const QByteArray suffix = f.hasProperty(QTextFormat::ListNumberSuffix) ? mapText(f.numberSuffix()) : ".";
    return (mapText(f.numberPrefix()) + text + suffix).leftJustified(5, ' ') + indent;
}

struct Styles {
    bool underline = false, red = false, italic = false;
};

Styles stylesOf(const QTextCharFormat &f) {
    Styles s;
    s.underline = f.fontUnderline();
    s.italic = f.fontItalic();
    if (f.hasProperty(QTextFormat::ForegroundBrush)) {
        const QColor c = f.foreground().color();
        s.red = c.red() > c.green() + c.blue();
    }
    return s;
}

class Exporter {
public:
    Exporter(const TWpDocument &doc, const MarkupProgress &progress)
        : m_doc(doc), m_progress(progress), m_total(std::max(0, doc.main()->characterCount() - 1)) {}

    QByteArray run() {
        walk(m_doc.main()->rootFrame());
        closeAll();
        return m_out;
    }

private:
    void walk(QTextFrame *frame) {
        bool firstBlock = true;
        for (QTextFrame::iterator it = frame->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *child = it.currentFrame()) {
                if (auto *table = qobject_cast<QTextTable *>(child)) {
                    closeAll();
                    if (!m_out.isEmpty() && !m_out.endsWith("\r\n"))
                        m_out += "\r\n";
                    m_out += convertTable(table, m_doc);
                    reached(table->lastPosition() + 1);
                    firstBlock = true;
                } else {
                    walk(child);
                }
                continue;
            }
            const QTextBlock block = it.currentBlock();
            if (!firstBlock) {
                closeFor(block);
                m_out += "\r\n";
            }
            firstBlock = false;
            m_out += listPrefix(block);
            for (QTextBlock::iterator f = block.begin(); !f.atEnd(); ++f) {
                const QTextFragment frag = f.fragment();
                if (!frag.isValid() || frag.text().isEmpty())
                    continue;
                apply(stylesOf(frag.charFormat()));
                m_out += mapText(frag.text());
                reached(frag.position() + frag.length());
            }
            reached(block.position() + block.length());
        }
    }

    // The caller's progress moves once for every 20 characters passed.
    void reached(int position) {
        if (!m_progress)
            return;
        for (position = std::min(position, m_total); m_nextReport <= position; m_nextReport += kProgressStep)
            m_progress(m_nextReport, m_total);
    }

    // A closing mark goes before a line end that was just written, so that it stays on its line.
    void close(char mark) {
        if (m_out.endsWith("\r\n")) {
            m_out.insert(m_out.size() - 2, mark);
            return;
        }
        m_out += mark;
    }

    void apply(const Styles &s) {
        if (m_open.italic && !s.italic)
            close('|');
        if (m_open.underline && !s.underline)
            close('_');
        if (m_open.red && !s.red)
            close('{');
        if (!m_open.underline && s.underline)
            m_out += '_';
        if (!m_open.red && s.red)
            m_out += '{';
        if (!m_open.italic && s.italic)
            m_out += '|';
        m_open = s;
    }

    void closeAll() { apply(Styles{}); }

    // Styles that do not go on into the next paragraph are closed before its line end.
    void closeFor(const QTextBlock &next) {
        Styles s;
        for (QTextBlock::iterator f = next.begin(); !f.atEnd(); ++f) {
            if (f.fragment().isValid() && !f.fragment().text().isEmpty()) {
                s = stylesOf(f.fragment().charFormat());
                break;
            }
        }
        s.underline = s.underline && m_open.underline;
        s.red = s.red && m_open.red;
        s.italic = s.italic && m_open.italic;
        apply(s);
    }

    static constexpr int kProgressStep = 20;
    const TWpDocument &m_doc;
    const MarkupProgress &m_progress;
    const int m_total;
    int m_nextReport = kProgressStep;
    QByteArray m_out;
    Styles m_open;
};

} // namespace

QByteArray ExportHostMarkup(const TWpDocument &doc, const QByteArrayList &typedEntries,
                            const MarkupProgress &progress) {
    QByteArray text = Exporter(doc, progress).run();
    auto isSpace = [](char ch) { return ch == ' ' || ch == '\r' || ch == '\n'; };
    qsizetype from = 0, to = text.size();
    while (from < to && isSpace(text.at(from)))
        ++from;
    while (to > from && isSpace(text.at(to - 1)))
        --to;
    QByteArray out = WrapText(text.mid(from, to - from) + ' ', 80);
    if (!typedEntries.isEmpty())
        out = "KX_AUDIOTYPED;" + typedEntries.join(';') + "\r\n" + out;
    return out;
}
