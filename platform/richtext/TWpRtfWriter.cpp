// RTF writer: one group per run of equal formatting, so the output is stable and diffs well.
#include "platform/richtext/TWpRtf.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>

namespace orva::richtext {
namespace {

QByteArray num(qint64 v) {
    return QByteArray::number(v);
}
int twips(double units) {
    return unitsToTwips(units);
}

QString familyOf(const QTextCharFormat &f, const QTextDocument *doc) {
    const QStringList families = f.fontFamilies().toStringList();
    if (!families.isEmpty() && !families.first().isEmpty())
        return families.first();
    return doc->defaultFont().family();
}

int halfPointsOf(const QTextCharFormat &f, const QTextDocument *doc) {
    const double pt =
        f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : doc->defaultFont().pointSizeF();
    return qMax(1, qRound(pt * 2));
}

void appendText(QByteArray &out, QStringView text) {
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == 0x2028 || u == u'\n' || u == u'\v') {
            out += "\\line ";
        } else if (u == 0xA0) {
            out += "\\~";
        } else if (u == QChar::ObjectReplacementCharacter || u == 0xFDD0 || u == 0xFDD1 || u == 0x2029) {
            continue; // inline objects and structure marks are not text
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else if (u >= 0xA0 && u <= 0xFF) {
            static const char hex[] = "0123456789abcdef";
            out += "\\'";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else if (u < 0x20) {
            continue;
        } else {
            out += "\\u" + num(qint16(u)) +
                   " ?"; // a space before the fallback: some readers skip too much without
        }
    }
}

class Writer {
public:
    explicit Writer(const TWpDocument &doc) : m_doc(doc) {}

    QByteArray run() {
        QByteArray body;
        const TWpPageSetup &p = m_doc.page;
        body += "\\paperw" + num(p.width) + "\\paperh" + num(p.height) + "\\margl" + num(p.marginL) +
                "\\margr" + num(p.marginR) + "\\margt" + num(p.marginT) + "\\margb" + num(p.marginB) + "\n";
        for (const TWpPicture &pic : m_doc.pictures)
            body += pictureGroup(pic);
        if (!m_doc.header()->isEmpty())
            body += "{\\header\n" + part(m_doc.header()) + "}\n";
        if (!m_doc.footer()->isEmpty())
            body += "{\\footer\n" + part(m_doc.footer()) + "}\n";
        body += part(m_doc.main());

        QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
        for (int i = 0; i < m_fonts.size(); ++i) {
            out += "{\\f" + num(i) + "\\fnil ";
            appendText(out, m_fonts.at(i));
            out += ";}";
        }
        out += "}\n{\\colortbl;";
        for (QRgb c : m_colors)
            out += "\\red" + num(qRed(c)) + "\\green" + num(qGreen(c)) + "\\blue" + num(qBlue(c)) + ';';
        out += "}\n";
        return out + body + "}\n";
    }

private:
    // Fonts and colours are numbered in order of first use while the parts are written.
    int fontIndex(const QString &family) {
        int i = m_fonts.indexOf(family);
        if (i < 0) {
            m_fonts.append(family);
            i = int(m_fonts.size()) - 1;
        }
        return i;
    }
    int colorIndex(QRgb rgb) {
        int i = m_colors.indexOf(rgb);
        if (i < 0) {
            m_colors.append(rgb);
            i = int(m_colors.size()) - 1;
        }
        return i + 1;
    }

    static QByteArray pictureGroup(const TWpPicture &p) {
        QByteArray out = "{\\*\\wppicture\\wpobjid" + num(p.id) + "\\wpposx" + num(p.posX) + "\\wpposy" +
                         num(p.posY) + "\\wpscalex" + num(p.scaleX) + "\\wpscaley" + num(p.scaleY) +
                         "\\wpobjmode" + num(p.objectMode) + "\\wptextflow" + num(p.textFlow) + "\\wpdistl" +
                         num(p.distL) + "\\wpdistt" + num(p.distT) + "\\wpdistr" + num(p.distR) +
                         "\\wpdistb" + num(p.distB) + ' ';
        appendText(out, p.path);
        return out + "}\n";
    }

    QByteArray charProps(const QTextCharFormat &f, const QTextDocument *doc) {
        QByteArray out = "\\f" + num(fontIndex(familyOf(f, doc))) + "\\fs" + num(halfPointsOf(f, doc));
        if (f.fontWeight() >= QFont::DemiBold)
            out += "\\b";
        if (f.fontItalic())
            out += "\\i";
        if (f.fontUnderline())
            out += "\\ul";
        if (f.fontStrikeOut())
            out += "\\strike";
        if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            out += "\\super";
        else if (f.verticalAlignment() == QTextCharFormat::AlignSubScript)
            out += "\\sub";
        if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush)
            out += "\\cf" + num(colorIndex(f.foreground().color().rgb() & 0xFFFFFF));
        return out;
    }

    QByteArray paraProps(const QTextBlock &block, bool inTable) {
        const QTextBlockFormat f = block.blockFormat();
        QByteArray out = "\\pard";
        if (inTable)
            out += "\\intbl";
        const Qt::Alignment a = f.alignment() & Qt::AlignHorizontal_Mask;
        if (a & Qt::AlignHCenter)
            out += "\\qc";
        else if (a & Qt::AlignRight)
            out += "\\qr";
        else if (a & Qt::AlignJustify)
            out += "\\qj";
        else
            out += "\\ql";
        if (f.leftMargin() != 0)
            out += "\\li" + num(twips(f.leftMargin()));
        if (f.rightMargin() != 0)
            out += "\\ri" + num(twips(f.rightMargin()));
        if (f.textIndent() != 0)
            out += "\\fi" + num(twips(f.textIndent()));
        for (const QTextOption::Tab &t : f.tabPositions())
            out += "\\tx" + num(twips(t.position));
        if (QTextList *list = block.textList()) {
            const QTextListFormat lf = list->format();
            int &id = m_listIds[list];
            if (id == 0)
                id = int(m_listIds.size());
            out += "{\\*\\wplist\\wplistid" + num(id) + "\\wpliststyle" + num(-int(lf.style())) +
                   "\\wplistlevel" + num(lf.indent());
            if (!lf.numberPrefix().isEmpty()) {
                out += "{\\*\\wplistprefix ";
                appendText(out, lf.numberPrefix());
                out += '}';
            }
            if (!lf.numberSuffix().isEmpty()) {
                out += "{\\*\\wplistsuffix ";
                appendText(out, lf.numberSuffix());
                out += '}';
            }
            out += "}{\\listtext ";
            appendText(out, list->itemText(block));
            out += "\\tab}";
        }
        return out.endsWith('}') ? out : out + ' ';
    }

    QByteArray runs(const QTextBlock &block, const QTextDocument *doc) {
        QByteArray out;
        int openField = 0;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QTextCharFormat f = frag.charFormat();
            const int field = f.intProperty(FieldIdProperty);
            if (field != openField) {
                if (openField)
                    out += '}';
                if (field) {
                    const TWpFieldInfo info = m_doc.fieldTable().value(field);
                    out += "{{\\*\\wpfield\\wpfid" + num(field) + "\\wpfchg" + num(info.changeable ? 1 : 0) +
                           "\\wpfdata" + num(info.data) + '}';
                }
                openField = field;
            }
            out += '{' + charProps(f, doc) + ' ';
            appendText(out, frag.text());
            out += '}';
        }
        if (openField)
            out += '}';
        return out;
    }

    // Paragraphs are joined by \par; a trailing empty paragraph gets one more so it survives
    // the reader dropping the final \par of a cell or document.
    // Before a table (`terminated`) every paragraph ends with \par, as the table ends the last one.
    QByteArray paragraphs(const QList<QTextBlock> &blocks, const QTextDocument *doc, bool inTable,
                          bool terminated = false) {
        QByteArray out;
        for (int i = 0; i < blocks.size(); ++i) {
            out += paraProps(blocks.at(i), inTable) + runs(blocks.at(i), doc);
            if (terminated || i + 1 < blocks.size())
                out += "\\par\n";
        }
        if (!terminated && blocks.size() > 1 && blocks.last().length() <= 1)
            out += "\\par\n";
        return out;
    }

    QByteArray table(QTextTable *t, const QTextDocument *doc) {
        QByteArray out;
        const QTextTableFormat tf = t->format();
        const QList<QTextLength> widths = tf.columnWidthConstraints();
        const double fullWidth = qMax(1.0, doc->textWidth());
        for (int r = 0; r < t->rows(); ++r) {
            out += "\\trowd\\trgaph" + num(twips(tf.cellPadding()));
            int right = 0;
            for (int c = 0; c < t->columns(); ++c) {
                const QTextTableCellFormat cf = t->cellAt(r, c).format().toTableCellFormat();
                const struct {
                    const char *word;
                    double width;
                } sides[] = {{"\\clbrdrt", cf.topBorder()},
                             {"\\clbrdrl", cf.leftBorder()},
                             {"\\clbrdrb", cf.bottomBorder()},
                             {"\\clbrdrr", cf.rightBorder()}};
                for (const auto &s : sides)
                    if (s.width > 0)
                        out += QByteArray(s.word) + "\\brdrs\\brdrw" + num(twips(s.width));
                double w = fullWidth / t->columns();
                if (c < widths.size() && widths.at(c).type() == QTextLength::FixedLength)
                    w = widths.at(c).rawValue();
                else if (c < widths.size() && widths.at(c).type() == QTextLength::PercentageLength)
                    w = fullWidth * widths.at(c).rawValue() / 100.0;
                right += twips(w);
                out += "\\cellx" + num(right);
            }
            out += '\n';
            for (int c = 0; c < t->columns(); ++c) {
                const QTextTableCell cell = t->cellAt(r, c);
                QList<QTextBlock> blocks;
                for (QTextBlock b = cell.firstCursorPosition().block();
                     b.isValid() && b.position() <= cell.lastCursorPosition().position(); b = b.next())
                    blocks.append(b);
                out += paragraphs(blocks, doc, true) + "\\cell\n";
            }
            out += "\\row\n";
        }
        return out;
    }

    QByteArray part(QTextDocument *doc) {
        QByteArray out;
        QList<QTextBlock> pending;
        QTextFrame *root = doc->rootFrame();
        for (auto it = root->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *frame = it.currentFrame()) {
                if (auto *t = qobject_cast<QTextTable *>(frame)) {
                    // The paragraph before a table ends with \par; the table starts at the next one.
                    out += paragraphs(pending, doc, false, true);
                    pending.clear();
                    out += table(t, doc);
                }
                continue;
            }
            pending.append(it.currentBlock());
        }
        out += paragraphs(pending, doc, false);
        return out + '\n';
    }

    const TWpDocument &m_doc;
    QStringList m_fonts;
    QList<QRgb> m_colors;
    QHash<QTextList *, int> m_listIds;
};

} // namespace

QByteArray writeRtf(const TWpDocument &doc) {
    return Writer(doc).run();
}

} // namespace orva::richtext
