// RTF reader: a byte tokenizer feeding a group-state machine that builds QTextDocument parts.
// Control words and destinations it does not know are skipped, so files from other programs load.
#include "platform/richtext/TWpRtf.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTextBlock>
#include <QTextList>
#include <QTextTable>
#include <algorithm>
#include <memory>

namespace orva::richtext {

TWpFileKind detectFileKind(const QByteArray &head) {
    static const QByteArray ole("\xD0\xCF\x11\xE0", 4);
    if (head.startsWith(ole))
        return TWpFileKind::BinaryWordProcessor;
    int i = 0;
    if (head.startsWith("\xEF\xBB\xBF"))
        i = 3;
    while (i < head.size() &&
           (head.at(i) == ' ' || head.at(i) == '\r' || head.at(i) == '\n' || head.at(i) == '\t'))
        ++i;
    return head.mid(i, 5) == "{\\rtf" ? TWpFileKind::Rtf : TWpFileKind::Other;
}

namespace {

constexpr int MaxDepth = 512;     // deeper groups are read as flat text
constexpr int MaxColumns = 63;    // as many cell definitions as a row may have
constexpr int MaxParam = 1 << 24; // numeric parameters are clamped to this magnitude

const char16_t cp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                 0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

QChar fromCp1252(uchar b) {
    return b >= 0x80 && b < 0xA0 ? QChar(cp1252High[b - 0x80]) : QChar(b);
}

enum class Dest {
    Text,
    Skip,
    FontTable,
    ColorTable,
    Field,
    Picture,
    List,
    ListPrefix,
    ListSuffix,
    ListTable,    // list definitions of files from other programs
    ListOverride, // their numbering instances
    ListText,     // the number text other programs put before a list paragraph
};

struct CharState {
    int font = -1;
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false, strike = false;
    int vertical = 0; // 1 super, -1 sub
    int color = 0;
    int field = 0;
    bool operator==(const CharState &) const = default;
};

struct ParaState {
    int align = 0; // 0 left, 1 right, 2 centre, 3 justify
    int li = 0, ri = 0, fi = 0;
    QList<int> tabs;
    bool inTable = false;
    int listId = 0, listStyle = 0, listLevel = 1;
    QString listPrefix, listSuffix;
    int foreignList = 0, foreignLevel = 0; // \ls and \ilvl of other programs' files
};

struct CellDef {
    int right = 0;
    int border[4] = {0, 0, 0, 0}; // top, left, bottom, right in twips
    bool operator==(const CellDef &) const = default;
};

// What is written into one table cell, kept until the whole table has been read.
struct CellStep {
    enum Kind { Text, Paragraph, BlockFormat } kind;
    QString text;
    QTextCharFormat format;
    ParaState pa;
};

// A table being read. It is created in the document only when it ends: every change of a table's
// shape makes Qt index all its cells again, so adding rows one at a time would cost the size of
// the table per row.
struct TableBuild {
    struct Row {
        QList<CellDef> defs;
        QList<QList<CellStep>> cells;
    };
    QTextTableFormat format;
    int columns = 1;
    QList<Row> rows;
    int cell = 0; // where the last row's text goes

    QList<CellStep> &steps() { return rows.last().cells[cell]; }
};

// Where text goes: one per document part, each with its own table state.
struct Sink {
    QTextCursor cursor;
    bool active = false;
    bool pendingPar = false;
    std::unique_ptr<TableBuild> table;
    bool rowDone = false;
    QList<CellDef> cells, nextCells;
    int gap = 0;
    QHash<int, QPointer<QTextList>> lists; // a list left without paragraphs is deleted by the document
};

struct Group {
    Dest dest = Dest::Text;
    Sink *sink = nullptr;
    CharState ch;
    ParaState pa;
    int uc = 1;
    // Field attributes gathered in a field destination, handed to the enclosing group.
    int fieldId = 0, fieldChangeable = 1, fieldData = 0;
    TWpPicture picture;
    QString destText;
};

// One control word as read: its keyword, its parameter and whether "\*" came before it.
struct ControlWord {
    const QByteArray &word;
    int p;
    bool has;
    bool starred;
    // A toggle is on without a parameter or with one other than 0.
    bool on() const { return !has || p != 0; }
};

class Reader {
public:
    // What a keyword of the main text does; the tables are below the class.
    using WordHandler = void (*)(Reader &, Group &, const ControlWord &);

    Reader(const QByteArray &in, TWpDocument *doc, QTextCursor *insertAt)
        : m_in(in), m_doc(doc), m_insert(insertAt != nullptr) {
        if (!doc)
            return;
        if (insertAt) {
            m_main.cursor = *insertAt;
        } else {
            m_main.cursor = QTextCursor(doc->main());
            m_header.cursor = QTextCursor(doc->header());
            m_footer.cursor = QTextCursor(doc->footer());
        }
        m_main.active = true;
    }

    TWpRtfLoadResult run() {
        TWpRtfLoadResult result;
        if (detectFileKind(m_in.left(64)) != TWpFileKind::Rtf)
            return result;
        Group top;
        top.sink = &m_main;
        m_stack.append(top);
        m_stack.append(top); // the document's outer group
        const qsizetype n = m_in.size();
        qsizetype i = m_in.indexOf('{') + 1;
        while (i < n && !m_stack.isEmpty()) {
            const char c = m_in.at(i);
            if (c == '{') {
                ++i;
                openGroup();
            } else if (c == '}') {
                ++i;
                closeGroup();
                if (m_stack.size() <= 1)
                    break;
            } else if (c == '\\') {
                i = controlWord(i + 1);
            } else if (c == '\r' || c == '\n' || c == '\0') {
                ++i;
            } else {
                ++i;
                if (m_skipChars > 0) {
                    --m_skipChars;
                    continue;
                }
                text(fromCp1252(uchar(c)));
            }
        }
        while (m_stack.size() > 1)
            closeGroup();
        for (Sink *s : {&m_main, &m_header, &m_footer})
            finish(*s);
        result.ok = true;
        result.page = m_page;
        result.fieldCount = m_fieldCount;
        return result;
    }

    QList<TWpPicture> pictures() const { return m_pictures; }
    void setScanOnly() { m_scanOnly = true; }

private:
    Group &g() { return m_stack.last(); }

    void openGroup() {
        flush();
        m_skipChars = 0;
        if (m_stack.size() >= MaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.append(m_stack.last());
        Group &n = m_stack.last();
        n.fieldId = 0;
        n.fieldChangeable = 1;
        n.fieldData = 0;
        n.destText.clear();
    }

    void closeGroup() {
        flush();
        m_skipChars = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_stack.size() <= 1)
            return;
        const Group done = m_stack.takeLast();
        Group &parent = m_stack.last();
        switch (done.dest) {
        case Dest::Field:
            if (parent.dest == Dest::Text && done.fieldId > 0)
                parent.ch.field = fieldFor(done);
            break;
        case Dest::Picture:
            if (done.dest != parent.dest) {
                TWpPicture p = done.picture;
                p.path = done.destText;
                m_pictures.append(p);
            }
            break;
        case Dest::ListText:
            if (parent.dest == Dest::Text)
                m_lastListText = done.destText;
            break;
        case Dest::ListPrefix:
            if (parent.dest == Dest::List)
                parent.pa.listPrefix = done.destText;
            break;
        case Dest::ListSuffix:
            if (parent.dest == Dest::List)
                parent.pa.listSuffix = done.destText;
            break;
        case Dest::List:
            if (parent.dest == Dest::Text) {
                parent.pa.listId = done.pa.listId;
                parent.pa.listStyle = done.pa.listStyle;
                parent.pa.listLevel = done.pa.listLevel;
                parent.pa.listPrefix = done.pa.listPrefix;
                parent.pa.listSuffix = done.pa.listSuffix;
            }
            break;
        case Dest::FontTable:
            if (!done.destText.trimmed().isEmpty())
                addFont(done);
            break;
        default:
            break;
        }
    }

    int fieldFor(const Group &done) {
        if (!m_doc || m_scanOnly)
            return 0;
        // Ids are kept unless already taken, by the document (insert mode) or earlier in this file.
        int id = done.fieldId;
        if (m_usedIds.contains(id) || (m_insert && m_doc->fieldTable().contains(id)) || id > MaxParam / 2) {
            id = m_doc->fieldTable().isEmpty() ? 1 : m_doc->fieldTable().lastKey() + 1;
        }
        m_usedIds.insert(id);
        TWpFieldInfo info;
        info.changeable = done.fieldChangeable != 0;
        info.data = done.fieldData;
        m_doc->fieldTable().insert(id, info);
        ++m_fieldCount;
        return id;
    }

    void addFont(const Group &done) {
        QString name = done.destText.trimmed();
        if (done.ch.font >= 0 && !name.isEmpty())
            m_fonts.insert(done.ch.font, name);
        m_charFormatValid = false;
    }

    int param(qsizetype &i, bool &has) {
        const qsizetype n = m_in.size();
        bool neg = false;
        if (i < n && m_in.at(i) == '-') {
            neg = true;
            ++i;
        }
        qint64 v = 0;
        has = false;
        int digits = 0;
        while (i < n && m_in.at(i) >= '0' && m_in.at(i) <= '9') {
            if (digits++ < 10)
                v = v * 10 + (m_in.at(i) - '0');
            has = true;
            ++i;
        }
        v = std::clamp<qint64>(neg ? -v : v, -MaxParam, MaxParam);
        return int(v);
    }

    qsizetype controlWord(qsizetype i) {
        const qsizetype n = m_in.size();
        if (i >= n)
            return i;
        const char c = m_in.at(i);
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return controlSymbol(i);
        const qsizetype start = i;
        while (i < n && i - start < 32 &&
               ((m_in.at(i) >= 'a' && m_in.at(i) <= 'z') || (m_in.at(i) >= 'A' && m_in.at(i) <= 'Z')))
            ++i;
        const QByteArray word = m_in.mid(start, i - start);
        bool has = false;
        const int p = param(i, has);
        if (i < n && m_in.at(i) == ' ')
            ++i;
        if (word == "bin") {
            return i + std::clamp<qsizetype>(p, 0, n - i); // binary data is never text
        }
        if (m_skipChars > 0 && word != "u") {
            --m_skipChars;
            return i;
        }
        apply(word, p, has);
        return i;
    }

    qsizetype controlSymbol(qsizetype i) {
        const char c = m_in.at(i++);
        switch (c) {
        case '\'': {
            const QByteArray hex = m_in.mid(i, 2);
            i += hex.size();
            bool ok = false;
            const uint v = hex.toUInt(&ok, 16);
            if (m_skipChars > 0) {
                --m_skipChars;
                break;
            }
            if (ok)
                text(fromCp1252(uchar(v)));
            break;
        }
        case '*':
            m_starred = true;
            return i;
        case '~':
            text(QChar(0xA0));
            break;
        case '_':
            text(QChar(0x2011));
            break;
        case '-':
            break; // optional hyphen
        case '\r':
        case '\n':
            paragraph();
            break;
        case '\\':
        case '{':
        case '}':
            if (m_skipChars > 0) {
                --m_skipChars;
                break;
            }
            text(QChar::fromLatin1(c));
            break;
        default:
            break;
        }
        m_starred = false;
        return i;
    }

    void startDest(Dest d) {
        flush();
        g().dest = d;
        g().destText.clear();
    }

    // A control word goes to the handler of the destination it is in; in the main text, to the
    // handler its keyword names in the tables below the class.
    void apply(const QByteArray &w, int p, bool has) {
        const ControlWord cw{w, p, has, m_starred};
        m_starred = false;
        Group &gr = g();
        switch (gr.dest) {
        case Dest::Text:
            textWord(gr, cw);
            break;
        case Dest::Field:
            fieldWord(gr, cw);
            break;
        case Dest::Picture:
            pictureWord(gr, cw);
            break;
        case Dest::List:
            listWord(gr, cw);
            break;
        case Dest::FontTable:
            fontTableWord(gr, cw);
            break;
        case Dest::ColorTable:
            colorTableWord(cw);
            break;
        case Dest::ListTable:
            listTableWord(cw);
            break;
        case Dest::ListOverride:
            listOverrideWord(cw);
            break;
        case Dest::Skip:
        case Dest::ListPrefix:
        case Dest::ListSuffix:
        case Dest::ListText:
            break; // skipped groups and the texts around list numbers take no control words
        }
    }

    void textWord(Group &gr, const ControlWord &cw) {
        // Formatting words are the most frequent, so they are looked up first; a starred one
        // marks a destination of another program.
        if (!cw.starred) {
            if (const WordHandler run = s_textWords.value(cw.word)) {
                run(*this, gr, cw);
                return;
            }
        }
        if (const WordHandler open = s_destinations.value(cw.word)) {
            open(*this, gr, cw);
            return;
        }
        if (cw.starred || s_skippedDestinations.contains(cw.word))
            startDest(Dest::Skip);
    }

    // Our own field attributes: id, changeable, data.
    void fieldWord(Group &gr, const ControlWord &cw) {
        if (cw.word == "wpfid")
            gr.fieldId = qMax(0, cw.p);
        else if (cw.word == "wpfchg")
            gr.fieldChangeable = cw.p;
        else if (cw.word == "wpfdata")
            gr.fieldData = cw.p;
    }

    // A linked picture's place, scale and text flow; its path is the group's text.
    void pictureWord(Group &gr, const ControlWord &cw) {
        static const QHash<QByteArray, int TWpPicture::*> words = {
            {"wpobjid", &TWpPicture::id},          {"wpposx", &TWpPicture::posX},
            {"wpposy", &TWpPicture::posY},         {"wpscalex", &TWpPicture::scaleX},
            {"wpscaley", &TWpPicture::scaleY},     {"wpobjmode", &TWpPicture::objectMode},
            {"wptextflow", &TWpPicture::textFlow}, {"wpdistl", &TWpPicture::distL},
            {"wpdistt", &TWpPicture::distT},       {"wpdistr", &TWpPicture::distR},
            {"wpdistb", &TWpPicture::distB}};
        if (auto it = words.find(cw.word); it != words.end())
            gr.picture.*(it.value()) = cw.p;
        else if (cw.word == "tab")
            gr.destText += u'\t';
    }

    // Our own list attributes, with the number's prefix and suffix as nested destinations.
    void listWord(Group &gr, const ControlWord &cw) {
        if (cw.word == "wplistid")
            gr.pa.listId = cw.p;
        else if (cw.word == "wpliststyle")
            gr.pa.listStyle = qBound(0, cw.p, 8);
        else if (cw.word == "wplistlevel")
            gr.pa.listLevel = qBound(1, cw.p, 9);
        else if (cw.word == "wplistprefix")
            startDest(Dest::ListPrefix);
        else if (cw.word == "wplistsuffix")
            startDest(Dest::ListSuffix);
    }

    // The font table: "\f" starts an entry whose name is the text up to ";".
    void fontTableWord(Group &gr, const ControlWord &cw) {
        if (cw.word == "f") {
            gr.ch.font = cw.p;
            gr.destText.clear();
        } else if (cw.starred || cw.word == "panose" || cw.word == "falt") {
            startDest(Dest::Skip);
        }
    }

    // The colour table: components gathered until ";" ends an entry.
    void colorTableWord(const ControlWord &cw) {
        const quint32 v = quint32(qBound(0, cw.p, 255));
        if (cw.word == "red")
            m_color = (m_color & 0x00FFFF) | (v << 16);
        else if (cw.word == "green")
            m_color = (m_color & 0xFF00FF) | (v << 8);
        else if (cw.word == "blue")
            m_color = (m_color & 0xFFFF00) | v;
        else
            return;
        m_colorSet = true;
    }

    // Other programs' list definitions: the numbering kind of each level, by list id.
    void listTableWord(const ControlWord &cw) {
        if (cw.word == "list") {
            m_levels.clear();
        } else if (cw.word == "listlevel") {
            if (m_levels.size() < 9)
                m_levels.append(23);
        } else if ((cw.word == "levelnfc" || cw.word == "levelnfcn") && !m_levels.isEmpty()) {
            m_levels.last() = cw.p;
        } else if (cw.word == "listid" && m_listDefs.size() < 1024) {
            m_listDefs.insert(cw.p, m_levels);
        } else if (cw.starred) {
            startDest(Dest::Skip);
        }
    }

    // Other programs' list instances: "\ls" numbers mapped to list ids.
    void listOverrideWord(const ControlWord &cw) {
        if (cw.word == "listid")
            m_overrideList = cw.p;
        else if (cw.word == "ls" && m_overrides.size() < 1024)
            m_overrides.insert(cw.p, m_overrideList);
        else if (cw.starred)
            startDest(Dest::Skip);
    }

    void openColorTable() {
        startDest(Dest::ColorTable);
        m_colors.clear();
        m_charFormatValid = false;
        m_color = 0;
        m_colorSet = false;
    }

    // Header and footer text goes to its own part; only the first of each is kept (the
    // variants for first and left pages yield to it), and inserting a file keeps the
    // document's own.
    void headerFooter(Group &gr, const ControlWord &cw) {
        flush();
        const QByteArray &w = cw.word;
        Sink &s = w.startsWith("header") ? m_header : m_footer;
        const bool wanted = !m_insert && !m_scanOnly && !s.active &&
                            (w == "header" || w == "footer" || w.endsWith('r') || w.endsWith('l'));
        if (!wanted) {
            startDest(Dest::Skip);
            return;
        }
        s.active = true;
        gr.sink = &s;
        gr.pa = ParaState{};
    }

    // Table rows: cell definitions gathered for the next row.
    void rowDefaults(Group &gr) {
        gr.sink->nextCells.clear();
        gr.sink->gap = 0;
        m_border = nullptr;
        m_pendingCell = CellDef{};
    }

    void cellRight(Group &gr, int right) {
        if (gr.sink->nextCells.size() < MaxColumns) {
            m_pendingCell.right = qBound(0, right, 31680 * 2);
            gr.sink->nextCells.append(m_pendingCell);
        }
        m_pendingCell = CellDef{};
        m_border = nullptr;
    }

    void cellBorder(int side) {
        m_border = &m_pendingCell.border[side];
        *m_border = 15;
    }

    void borderWidth(int width) {
        if (m_border)
            *m_border = width;
    }

    void plain(CharState &ch) {
        const int field = ch.field;
        ch = CharState{};
        ch.font = m_defaultFont;
        ch.field = field;
    }

    void unicode(Group &gr, int p) {
        text(QChar(char16_t(p < 0 ? p + 65536 : p)));
        m_skipChars = gr.uc;
    }

    // Text and structure.
    void text(QChar c) {
        Group &gr = g();
        if (gr.dest == Dest::FontTable && c == u';') {
            addFont(gr);
            gr.destText.clear();
            return;
        }
        if (gr.dest == Dest::FontTable || gr.dest == Dest::Picture || gr.dest == Dest::ListPrefix ||
            gr.dest == Dest::ListSuffix || gr.dest == Dest::ListText) {
            if (gr.destText.size() < 4096)
                gr.destText += c;
            return;
        }
        if (gr.dest == Dest::ColorTable) {
            if (c == u';') {
                if (m_colors.size() < 1024)
                    m_colors.append(m_colorSet ? int(m_color) : -1);
                m_charFormatValid = false;
                m_color = 0;
                m_colorSet = false;
            }
            return;
        }
        if (gr.dest != Dest::Text || !m_doc || m_scanOnly)
            return;
        Sink &s = *gr.sink;
        if (s.cursor.isNull())
            return;
        enterParagraph(s, gr.pa);
        if (!m_buffer.isEmpty() && !(m_bufferState == gr.ch))
            flush();
        if (m_buffer.isEmpty()) {
            m_bufferState = gr.ch;
            m_bufferSink = &s;
        }
        m_buffer += c;
    }

    // Called before anything is written into a paragraph: opens or leaves a table and starts the
    // paragraph a \par left pending.
    void enterParagraph(Sink &s, const ParaState &pa) {
        if (pa.inTable) {
            ensureTable(s);
        } else if (s.table) {
            flush();
            leaveTable(s);
        }
        if (s.pendingPar) {
            flush();
            if (s.table)
                s.table->steps().append({CellStep::Paragraph, {}, {}, {}});
            else
                s.cursor.insertBlock();
            s.pendingPar = false;
        }
    }

    void flush() {
        if (m_buffer.isEmpty() || !m_bufferSink)
            return;
        if (m_bufferSink->table)
            m_bufferSink->table->steps().append({CellStep::Text, m_buffer, charFormat(m_bufferState), {}});
        else
            m_bufferSink->cursor.insertText(m_buffer, charFormat(m_bufferState));
        m_buffer.clear();
    }

    // Runs mostly repeat the format of the run before; a format built once also keeps its hash,
    // which the document takes for every insertion.
    const QTextCharFormat &charFormat(const CharState &ch) {
        if (!m_charFormatValid || !(m_charFormatState == ch)) {
            m_charFormat = buildCharFormat(ch);
            m_charFormatState = ch;
            m_charFormatValid = true;
        }
        return m_charFormat;
    }

    QTextCharFormat buildCharFormat(const CharState &ch) const {
        QTextCharFormat f;
        const QString family = m_fonts.value(ch.font, m_fonts.value(m_defaultFont));
        if (!family.isEmpty())
            f.setFontFamilies({family});
        f.setFontPointSize(ch.halfPoints / 2.0);
        f.setFontWeight(ch.bold ? QFont::Bold : QFont::Normal);
        f.setFontItalic(ch.italic);
        f.setFontUnderline(ch.underline);
        f.setFontStrikeOut(ch.strike);
        if (ch.vertical > 0)
            f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (ch.vertical < 0)
            f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        if (ch.color > 0 && ch.color < m_colors.size() && m_colors.at(ch.color) >= 0)
            f.setForeground(QColor(QRgb(m_colors.at(ch.color))));
        if (ch.field)
            f.setProperty(FieldIdProperty, ch.field);
        return f;
    }

    const QTextBlockFormat &blockFormat(const ParaState &pa) {
        const bool same = m_blockFormatValid && pa.align == m_blockFormatState.align &&
                          pa.li == m_blockFormatState.li && pa.ri == m_blockFormatState.ri &&
                          pa.fi == m_blockFormatState.fi && pa.tabs == m_blockFormatState.tabs;
        if (same)
            return m_blockFormat;
        QTextBlockFormat &f = m_blockFormat;
        f = QTextBlockFormat();
        static const Qt::Alignment aligns[] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignHCenter,
                                               Qt::AlignJustify};
        f.setAlignment(aligns[pa.align]);
        f.setLeftMargin(twipsToUnits(pa.li));
        f.setRightMargin(twipsToUnits(pa.ri));
        f.setTextIndent(twipsToUnits(pa.fi));
        QList<QTextOption::Tab> tabs;
        for (int t : pa.tabs)
            tabs.append(QTextOption::Tab(twipsToUnits(t), QTextOption::LeftTab));
        f.setTabPositions(tabs);
        m_blockFormatState = pa;
        m_blockFormatValid = true;
        return f;
    }

    void applyBlockFormat(Sink &s, const ParaState &pa) {
        if (s.table)
            s.table->steps().append({CellStep::BlockFormat, {}, {}, pa});
        else
            formatBlock(s.cursor, s.lists, pa);
    }

    void formatBlock(QTextCursor &cursor, QHash<int, QPointer<QTextList>> &lists, const ParaState &pa) {
        cursor.setBlockFormat(blockFormat(pa));
        ParaState own = pa;
        if (own.listId == 0 && own.foreignList > 0)
            resolveForeignList(own);
        if (own.listId != 0 && own.listStyle > 0) {
            QPointer<QTextList> &list = lists[own.listId];
            if (!list) {
                QTextListFormat lf;
                lf.setStyle(QTextListFormat::Style(-own.listStyle));
                lf.setIndent(own.listLevel);
                lf.setNumberPrefix(own.listPrefix);
                lf.setNumberSuffix(own.listSuffix);
                list = cursor.createList(lf);
            } else if (cursor.block().textList() != list) {
                list->add(cursor.block());
            }
        }
    }

    // A list paragraph of another program's file: the numbering kind comes from its list table,
    // or, without one, from the number text written before the paragraph.
    void resolveForeignList(ParaState &pa) const {
        int nfc = -1;
        const auto def = m_listDefs.constFind(m_overrides.value(pa.foreignList, -1));
        if (def != m_listDefs.constEnd() && pa.foreignLevel < def->size())
            nfc = def->at(pa.foreignLevel);
        else if (std::any_of(m_lastListText.begin(), m_lastListText.end(),
                             [](QChar c) { return c.isDigit(); }))
            nfc = 0;
        static const QHash<int, int> styles = {{0, 4}, {1, 8}, {2, 7}, {3, 6}, {4, 5}, {23, 1}};
        pa.listStyle = styles.value(nfc, 1);
        pa.listLevel = pa.foreignLevel + 1;
        pa.listId = -(pa.foreignList * 16 + pa.foreignLevel + 1);
        pa.listPrefix.clear();
        pa.listSuffix = QStringLiteral(".");
    }

    void paragraph() {
        Group &gr = g();
        if (gr.dest != Dest::Text || !m_doc || m_scanOnly)
            return;
        Sink &s = *gr.sink;
        if (s.cursor.isNull())
            return;
        enterParagraph(s, gr.pa);
        flush();
        applyBlockFormat(s, gr.pa);
        s.pendingPar = true;
    }

    void ensureTable(Sink &s) {
        if (s.table && !s.rowDone)
            return;
        flush();
        const QList<CellDef> defs = s.nextCells.isEmpty() ? s.cells : s.nextCells;
        const int cols = qBound(1, int(defs.size()), MaxColumns);
        s.pendingPar = false; // the \par before a table only ends the paragraph before it
        if (!s.table) {
            QTextTableFormat tf;
            tf.setBorder(0);
            tf.setBorderCollapse(true);
            tf.setCellSpacing(0);
            tf.setCellPadding(twipsToUnits(s.gap));
            QList<QTextLength> widths;
            int left = 0;
            for (const CellDef &d : defs) {
                widths.append(QTextLength(QTextLength::FixedLength, twipsToUnits(qMax(15, d.right - left))));
                left = qMax(left, d.right);
            }
            tf.setColumnWidthConstraints(widths);
            s.table = std::make_unique<TableBuild>();
            s.table->format = tf;
        }
        // A row wider than the ones before widens the table; theirs get empty cells.
        s.table->columns = qMax(s.table->columns, cols);
        s.table->rows.append({defs, QList<QList<CellStep>>(s.table->columns)});
        s.table->cell = 0;
        s.cells = defs;
        s.rowDone = false;
    }

    void cell() {
        Group &gr = g();
        if (gr.dest != Dest::Text || !m_doc || m_scanOnly)
            return;
        Sink &s = *gr.sink;
        if (s.cursor.isNull())
            return;
        flush();
        ensureTable(s);
        s.pendingPar = false;
        applyBlockFormat(s, gr.pa);
        // Cells beyond the row's columns are merged into its last cell.
        s.table->cell = qMin(s.table->cell + 1, s.table->columns - 1);
    }

    void endRow() {
        Group &gr = g();
        if (gr.dest != Dest::Text || !m_doc || m_scanOnly)
            return;
        Sink &s = *gr.sink;
        flush();
        if (!s.table)
            return;
        s.pendingPar = false;
        s.rowDone = true;
        s.table->cell = s.table->columns - 1;
    }

    // The table read is made in one piece, then its cells are formatted and written.
    void leaveTable(Sink &s) {
        s.pendingPar = false;
        const std::unique_ptr<TableBuild> build = std::move(s.table);
        QTextTable *table = s.cursor.insertTable(int(build->rows.size()), build->columns, build->format);
        QList<CellDef> formattedDefs;
        QList<QTextTableCellFormat> cellFormats;
        for (int r = 0; r < build->rows.size(); ++r) {
            const TableBuild::Row &row = build->rows.at(r);
            // Rows of one table mostly repeat their definitions; a format built once is reused.
            if (row.defs != formattedDefs) {
                cellFormats.clear();
                for (const CellDef &d : row.defs)
                    cellFormats.append(cellFormat(d));
                formattedDefs = row.defs;
            }
            for (int c = 0; c < cellFormats.size() && c < build->columns; ++c)
                table->cellAt(r, c).setFormat(cellFormats.at(c));
            for (int c = 0; c < row.cells.size(); ++c) {
                if (row.cells.at(c).isEmpty())
                    continue;
                QTextCursor at = table->cellAt(r, c).firstCursorPosition();
                for (const CellStep &step : row.cells.at(c)) {
                    switch (step.kind) {
                    case CellStep::Text:
                        at.insertText(step.text, step.format);
                        break;
                    case CellStep::Paragraph:
                        at.insertBlock();
                        break;
                    case CellStep::BlockFormat:
                        formatBlock(at, s.lists, step.pa);
                        break;
                    }
                }
            }
        }
        s.cursor.setPosition(table->lastPosition() + 1);
    }

    static QTextTableCellFormat cellFormat(const CellDef &d) {
        QTextTableCellFormat cf;
        cf.setTopBorder(twipsToUnits(d.border[0]));
        cf.setLeftBorder(twipsToUnits(d.border[1]));
        cf.setBottomBorder(twipsToUnits(d.border[2]));
        cf.setRightBorder(twipsToUnits(d.border[3]));
        cf.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        cf.setBorderBrush(Qt::black);
        return cf;
    }

    void finish(Sink &s) {
        if (s.cursor.isNull() || m_scanOnly || !s.active)
            return;
        flush();
        if (s.table)
            leaveTable(s);
        s.pendingPar = false;
    }

    const QByteArray &m_in;
    TWpDocument *m_doc;
    bool m_insert;
    bool m_scanOnly = false;
    QList<Group> m_stack;
    int m_overflow = 0;
    bool m_starred = false;
    int m_skipChars = 0;
    Sink m_main, m_header, m_footer;
    QHash<int, QString> m_fonts;
    int m_defaultFont = 0;
    QList<int> m_colors;
    quint32 m_color = 0;
    bool m_colorSet = false;
    CellDef m_pendingCell;
    int *m_border = nullptr;
    QString m_buffer;
    CharState m_bufferState;
    // The formats last built; the character format also depends on the font and colour tables,
    // so reading either forgets it.
    QTextCharFormat m_charFormat;
    CharState m_charFormatState;
    bool m_charFormatValid = false;
    QTextBlockFormat m_blockFormat;
    ParaState m_blockFormatState;
    bool m_blockFormatValid = false;
    Sink *m_bufferSink = nullptr;
    TWpPageSetup m_page;
    QList<TWpPicture> m_pictures;
    QSet<int> m_usedIds;
    QHash<int, QList<int>> m_listDefs; // list id -> numbering kind of each level
    QList<int> m_levels;
    QHash<int, int> m_overrides; // \ls number -> list id
    int m_overrideList = 0;
    QString m_lastListText;
    int m_fieldCount = 0;

    // Handlers for the tables that several keywords share.
    template <char16_t Char> static void insert(Reader &r, Group &, const ControlWord &) {
        r.text(QChar(Char));
    }
    template <Dest D> static void open(Reader &r, Group &, const ControlWord &) { r.startDest(D); }
    template <int TWpPageSetup::*Field, int Min, int Max>
    static void page(Reader &r, Group &, const ControlWord &cw) {
        r.m_page.*Field = qBound(Min, cw.p, Max);
    }
    static void openHeaderFooter(Reader &r, Group &gr, const ControlWord &cw) { r.headerFooter(gr, cw); }

    static const QHash<QByteArray, WordHandler> s_textWords;
    static const QHash<QByteArray, WordHandler> s_destinations;
    static const QSet<QByteArray> s_skippedDestinations;
};

// Handlers of character and paragraph formats that several keywords share.
template <bool CharState::*Flag> void toggle(Reader &, Group &gr, const ControlWord &cw) {
    gr.ch.*Flag = cw.on();
}

template <int Vertical> void vertical(Reader &, Group &gr, const ControlWord &) {
    gr.ch.vertical = Vertical;
}

// "\up" and "\dn" raise or lower the text; with 0 they end the shift.
template <int Vertical> void shift(Reader &, Group &gr, const ControlWord &cw) {
    gr.ch.vertical = (cw.has && cw.p == 0) ? 0 : Vertical;
}

template <int Align> void align(Reader &, Group &gr, const ControlWord &) {
    gr.pa.align = Align;
}

template <int ParaState::*Indent> void indent(Reader &, Group &gr, const ControlWord &cw) {
    gr.pa.*Indent = qBound(-31680, cw.p, 31680);
}

// The keywords of the main text and what each does. Other programs' variants of one effect
// (the underline styles, "\striked") share its handler.
const QHash<QByteArray, Reader::WordHandler> Reader::s_textWords = {
    // Structure.
    {"par", [](Reader &r, Group &, const ControlWord &) { r.paragraph(); }},
    {"sect", [](Reader &r, Group &, const ControlWord &) { r.paragraph(); }},
    {"page", [](Reader &r, Group &, const ControlWord &) { r.paragraph(); }},
    {"cell", [](Reader &r, Group &, const ControlWord &) { r.cell(); }},
    {"row", [](Reader &r, Group &, const ControlWord &) { r.endRow(); }},
    // Characters.
    {"line", insert<0x2028>},
    {"tab", insert<u'\t'>},
    {"emdash", insert<0x2014>},
    {"endash", insert<0x2013>},
    {"bullet", insert<0x2022>},
    {"lquote", insert<0x2018>},
    {"rquote", insert<0x2019>},
    {"ldblquote", insert<0x201C>},
    {"rdblquote", insert<0x201D>},
    {"nestcell", insert<u' '>},
    {"emspace", insert<u' '>},
    {"enspace", insert<u' '>},
    {"qmspace", insert<u' '>},
    {"u", [](Reader &r, Group &gr, const ControlWord &cw) { r.unicode(gr, cw.p); }},
    {"uc", [](Reader &, Group &gr, const ControlWord &cw) { gr.uc = qBound(0, cw.p, 16); }},
    // Character format.
    {"plain", [](Reader &r, Group &gr, const ControlWord &) { r.plain(gr.ch); }},
    {"b", toggle<&CharState::bold>},
    {"i", toggle<&CharState::italic>},
    {"ul", toggle<&CharState::underline>},
    {"uldb", toggle<&CharState::underline>},
    {"ulw", toggle<&CharState::underline>},
    {"uld", toggle<&CharState::underline>},
    {"ulth", toggle<&CharState::underline>},
    {"ulwave", toggle<&CharState::underline>},
    {"ulnone", [](Reader &, Group &gr, const ControlWord &) { gr.ch.underline = false; }},
    {"strike", toggle<&CharState::strike>},
    {"striked", toggle<&CharState::strike>},
    {"super", vertical<1>},
    {"sub", vertical<-1>},
    {"nosupersub", vertical<0>},
    {"up", shift<1>},
    {"dn", shift<-1>},
    {"f", [](Reader &, Group &gr, const ControlWord &cw) { gr.ch.font = cw.p; }},
    {"fs",
     [](Reader &, Group &gr, const ControlWord &cw) {
         gr.ch.halfPoints = cw.has ? qBound(2, cw.p, 3276) : 24; // half points; none is 12 pt
     }},
    {"cf", [](Reader &, Group &gr, const ControlWord &cw) { gr.ch.color = qMax(0, cw.p); }},
    {"deff",
     [](Reader &r, Group &, const ControlWord &cw) {
         r.m_defaultFont = cw.p;
         r.m_charFormatValid = false;
     }},
    // Paragraph format.
    {"pard", [](Reader &, Group &gr, const ControlWord &) { gr.pa = ParaState{}; }},
    {"ql", align<0>},
    {"qr", align<1>},
    {"qc", align<2>},
    {"qj", align<3>},
    {"li", indent<&ParaState::li>},
    {"ri", indent<&ParaState::ri>},
    {"fi", indent<&ParaState::fi>},
    {"tx",
     [](Reader &, Group &gr, const ControlWord &cw) {
         if (gr.pa.tabs.size() < 64)
             gr.pa.tabs.append(qBound(0, cw.p, 31680));
     }},
    {"ls", [](Reader &, Group &gr, const ControlWord &cw) { gr.pa.foreignList = qBound(0, cw.p, 32767); }},
    {"ilvl", [](Reader &, Group &gr, const ControlWord &cw) { gr.pa.foreignLevel = qBound(0, cw.p, 8); }},
    // Tables.
    {"intbl", [](Reader &, Group &gr, const ControlWord &) { gr.pa.inTable = true; }},
    {"trowd", [](Reader &r, Group &gr, const ControlWord &) { r.rowDefaults(gr); }},
    {"cellx", [](Reader &r, Group &gr, const ControlWord &cw) { r.cellRight(gr, cw.p); }},
    {"clbrdrt", [](Reader &r, Group &, const ControlWord &) { r.cellBorder(0); }},
    {"clbrdrl", [](Reader &r, Group &, const ControlWord &) { r.cellBorder(1); }},
    {"clbrdrb", [](Reader &r, Group &, const ControlWord &) { r.cellBorder(2); }},
    {"clbrdrr", [](Reader &r, Group &, const ControlWord &) { r.cellBorder(3); }},
    {"brdrw", [](Reader &r, Group &, const ControlWord &cw) { r.borderWidth(qBound(0, cw.p, 255)); }},
    {"brdrnone", [](Reader &r, Group &, const ControlWord &) { r.borderWidth(0); }},
    {"trgaph", [](Reader &, Group &gr, const ControlWord &cw) { gr.sink->gap = qBound(0, cw.p, 1440); }},
    // Page set-up.
    {"paperw", page<&TWpPageSetup::width, 1440, 31680 * 2>},
    {"paperh", page<&TWpPageSetup::height, 1440, 31680 * 2>},
    {"margl", page<&TWpPageSetup::marginL, 0, 31680>},
    {"margr", page<&TWpPageSetup::marginR, 0, 31680>},
    {"margt", page<&TWpPageSetup::marginT, 0, 31680>},
    {"margb", page<&TWpPageSetup::marginB, 0, 31680>},
};

// The destinations the reader reads, each handled by its word handler above.
const QHash<QByteArray, Reader::WordHandler> Reader::s_destinations = {
    {"fonttbl", open<Dest::FontTable>},
    {"colortbl", [](Reader &r, Group &, const ControlWord &) { r.openColorTable(); }},
    {"listtable", open<Dest::ListTable>},
    {"listoverridetable", open<Dest::ListOverride>},
    {"listtext", open<Dest::ListText>},
    {"wpfield", open<Dest::Field>},
    {"wppicture", open<Dest::Picture>},
    {"wplist", open<Dest::List>},
    {"header", openHeaderFooter},
    {"headerr", openHeaderFooter},
    {"headerl", openHeaderFooter},
    {"headerf", openHeaderFooter},
    {"footer", openHeaderFooter},
    {"footerr", openHeaderFooter},
    {"footerl", openHeaderFooter},
    {"footerf", openHeaderFooter},
};

// Destinations of other programs whose content is not text of the document.
const QSet<QByteArray> Reader::s_skippedDestinations = {"stylesheet",
                                                        "info",
                                                        "pict",
                                                        "object",
                                                        "revtbl",
                                                        "rsidtbl",
                                                        "generator",
                                                        "xmlnstbl",
                                                        "filetbl",
                                                        "fldinst",
                                                        "pntext",
                                                        "pntxta",
                                                        "pntxtb",
                                                        "pn",
                                                        "footnote",
                                                        "annotation",
                                                        "atnid",
                                                        "atnauthor",
                                                        "shpinst",
                                                        "nonshppict",
                                                        "themedata",
                                                        "colorschememapping",
                                                        "datastore",
                                                        "latentstyles",
                                                        "pgdsctbl",
                                                        "bkmkstart",
                                                        "bkmkend",
                                                        "template",
                                                        "docvar",
                                                        "userprops",
                                                        "ftnsep",
                                                        "ftnsepc",
                                                        "ftncn",
                                                        "aftnsep",
                                                        "aftnsepc",
                                                        "aftncn",
                                                        "fchars",
                                                        "lchars",
                                                        "xe",
                                                        "tc",
                                                        "objdata",
                                                        "sp",
                                                        "sn",
                                                        "sv",
                                                        "do",
                                                        "shppict",
                                                        "mmathPr",
                                                        "author",
                                                        "operator",
                                                        "title",
                                                        "subject",
                                                        "keywords",
                                                        "comment",
                                                        "doccomm",
                                                        "company",
                                                        "manager",
                                                        "category",
                                                        "hlinkbase",
                                                        "pgptbl",
                                                        "protusertbl",
                                                        "passwordhash",
                                                        "wgrffmtfilter",
                                                        "ud"};

} // namespace

TWpRtfLoadResult readRtf(const QByteArray &rtf, TWpDocument &doc, QTextCursor *insertAt) {
    if (detectFileKind(rtf.left(64)) != TWpFileKind::Rtf)
        return {};
    if (!insertAt)
        doc.clear();
    // One edit block per part: the layout sees one change instead of one per run of text, and
    // a whole load undoes in one step. A replaced document starts a new history, so its load is
    // not recorded for undo at all.
    QList<QTextCursor> blocks;
    for (QTextDocument *d : {doc.main(), doc.header(), doc.footer()}) {
        if (!insertAt)
            d->setUndoRedoEnabled(false);
        blocks.append(QTextCursor(d));
        blocks.last().beginEditBlock();
    }
    Reader reader(rtf, &doc, insertAt);
    TWpRtfLoadResult result = reader.run();
    for (QTextCursor &c : blocks) {
        c.endEditBlock();
        if (!insertAt)
            c.document()->setUndoRedoEnabled(true);
    }
    for (const TWpPicture &p : reader.pictures())
        doc.addPicture(p);
    return result;
}

QList<TWpPicture> scanRtfPictures(const QByteArray &rtf) {
    Reader reader(rtf, nullptr, nullptr);
    reader.setScanOnly();
    reader.run();
    return reader.pictures();
}

} // namespace orva::richtext
