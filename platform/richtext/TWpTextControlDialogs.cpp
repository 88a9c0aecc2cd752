// The control's dialogs and the operations behind them (find and replace, bullets, tabs,
// table borders). The dialogs only collect input; the operations do the work.
#include "platform/modal/ModalDialog.h"
#include "platform/modal/StandardDialogs.h"
#include "platform/richtext/TWpBars.h"
#include "platform/richtext/TWpTextControl.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTextBlock>
#include <QTextList>

namespace orva::richtext {

bool TWpTextControl::FindNext(const QString &text) {
    if (text.isEmpty())
        return false;
    const QTextCursor c = cursor();
    int at = FindText(text, c.selectionEnd(), FindForwardNoCase);
    if (at < 0)
        at = FindText(text, 0, FindForwardNoCase);
    if (at < 0)
        return false;
    setSelStart(at);
    setSelLength(int(text.size()));
    return true;
}

int TWpTextControl::ReplaceAll(const QString &text, const QString &replacement) {
    if (text.isEmpty())
        return 0;
    int count = 0;
    QTextCursor c(activeDocument());
    c.beginEditBlock();
    for (int at = FindText(text, 0, FindForwardNoCase); at >= 0; at = FindText(text, at, FindForwardNoCase)) {
        const int end = at + int(text.size());
        if (touchesProtected(at, end)) {
            at = end;
            continue;
        }
        c.setPosition(at);
        c.setPosition(end, QTextCursor::KeepAnchor);
        QTextCharFormat f = c.charFormat();
        c.insertText(replacement, f);
        at += int(replacement.size());
        ++count;
    }
    c.endEditBlock();
    return count;
}

bool TWpTextControl::ReplaceNext(const QString &text, const QString &replacement) {
    if (text.isEmpty())
        return false;
    QTextCursor c = cursor();
    const int start = c.selectionStart(), end = c.selectionEnd();
    bool replaced = false;
    if (c.selectedText().compare(text, Qt::CaseInsensitive) == 0 && !touchesProtected(start, end)) {
        const QTextCharFormat f = c.charFormat();
        c.insertText(replacement, f);
        setSelStart(start + int(replacement.size()));
        setSelLength(0);
        replaced = true;
    }
    FindNext(text);
    return replaced;
}

void TWpTextControl::SetListStyle(int style) {
    QTextCursor c = cursor();
    c.beginEditBlock();
    if (style <= 0 || style > 8) {
        for (QTextBlock b = activeDocument()->findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
            if (QTextList *list = b.textList())
                list->remove(b);
            QTextBlockFormat f = b.blockFormat();
            f.setIndent(0);
            QTextCursor(b).setBlockFormat(f);
            if (b.contains(c.selectionEnd()) || b.position() > c.selectionEnd())
                break;
        }
    } else {
        QTextListFormat f;
        if (QTextList *list = c.currentList())
            f = list->format();
        f.setStyle(QTextListFormat::Style(-style));
        if (f.indent() < 1)
            f.setIndent(1);
        if (QTextList *list = c.currentList())
            list->setFormat(f);
        else
            c.createList(f);
    }
    c.endEditBlock();
}

bool TWpTextControl::SetTableBorder(int twips) {
    QTextTable *t = cursor().currentTable();
    if (!t)
        return false;
    const double w = twipsToUnits(qBound(0, twips, 255));
    for (int r = 0; r < t->rows(); ++r)
        for (int col = 0; col < t->columns(); ++col) {
            QTextTableCell cell = t->cellAt(r, col);
            QTextTableCellFormat f = cell.format().toTableCellFormat();
            f.setBorder(w);
            f.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            f.setBorderBrush(Qt::black);
            cell.setFormat(f);
        }
    return true;
}

void TWpTextControl::setButtonBarHandle(QWidget *bar) {
    m_buttonBar = bar;
    if (auto *b = qobject_cast<TWpButtonBar *>(bar))
        b->attach(this);
}
void TWpTextControl::setRulerHandle(QWidget *ruler) {
    m_ruler = ruler;
    if (auto *r = qobject_cast<TWpRuler *>(ruler))
        r->attach(this);
}
void TWpTextControl::setStatusBarHandle(QWidget *bar) {
    m_statusBar = bar;
    if (auto *s = qobject_cast<TWpStatusBar *>(bar))
        s->attach(this);
}

// ---- dialogs

void TWpTextControl::FontDialog() {
    QFont current(FontName(), FontSize());
    current.setBold(FontBold());
    current.setItalic(FontItalic());
    current.setUnderline(FontUnderline());
    current.setStrikeOut(FontStrikethru());
    const std::optional<QFont> chosen = AskFont(this, current);
    if (!chosen)
        return;
    const QFont &f = *chosen;
    setFontName(f.family());
    setFontSize(qMax(1, qRound(f.pointSizeF())));
    setFontBold(f.bold());
    setFontItalic(f.italic());
    setFontUnderline(f.underline());
    setFontStrikethru(f.strikeOut());
}

void TWpTextControl::ColorDialog() {
    const quint32 c = ForeColor();
    const QColor chosen = AskColour(this, QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
    if (chosen.isValid())
        setForeColor(quint32(chosen.red()) | quint32(chosen.green()) << 8 | quint32(chosen.blue()) << 16);
}

// Tab stops are edited as centimetres separated by blanks.
void TWpTextControl::TabDialog() {
    const QList<QTextOption::Tab> tabs = cursor().blockFormat().tabPositions();
    QStringList cm;
    const QLocale c = QLocale::c();
    for (const QTextOption::Tab &t : tabs)
        cm << c.toString(unitsToTwips(t.position) / 567.0, 'f', 2);
    const std::optional<QString> answer = AskText(this, tr("Tabs"), tr("Tab stops (cm):"), cm.join(u' '));
    if (!answer)
        return;
    QList<QTextOption::Tab> result;
    for (const QString &part : answer->split(u' ', Qt::SkipEmptyParts)) {
        bool good = false;
        const double v = c.toDouble(QString(part).replace(u',', u'.'), &good);
        if (good && v > 0 && v < 60)
            result.append(QTextOption::Tab(twipsToUnits(qRound(v * 567)), QTextOption::LeftTab));
    }
    QTextCursor cur = cursor();
    QTextBlockFormat f;
    f.setTabPositions(result);
    cur.mergeBlockFormat(f);
}

void TWpTextControl::BulletDialog() {
    const QStringList kinds = {tr("None"),     tr("Bullet"),      tr("Circle"),
                               tr("Square"),   tr("1. 2. 3."),    tr("a. b. c."),
                               tr("A. B. C."), tr("i. ii. iii."), tr("I. II. III.")};
    const std::optional<QString> chosen = AskItem(this, tr("Bullets and Numbering"), tr("Style:"), kinds, 0);
    if (chosen)
        SetListStyle(int(kinds.indexOf(*chosen)));
}

void TWpTextControl::FindDialog(int mode) {
    QDialog dialog(this);
    dialog.setWindowTitle(mode == 2 ? tr("Replace") : tr("Find"));
    auto *form = new QFormLayout(&dialog);
    auto *what = new QLineEdit(SelText(), &dialog);
    form->addRow(tr("Find what:"), what);
    auto *with = new QLineEdit(&dialog);
    if (mode == 2)
        form->addRow(tr("Replace with:"), with);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton *next = buttons->addButton(tr("Find Next"), QDialogButtonBox::ActionRole);
    connect(next, &QPushButton::clicked, &dialog, [&] { FindNext(what->text()); });
    if (mode == 2) {
        QPushButton *one = buttons->addButton(tr("Replace"), QDialogButtonBox::ActionRole);
        one->setObjectName(QStringLiteral("ReplaceButton"));
        connect(one, &QPushButton::clicked, &dialog, [&] { ReplaceNext(what->text(), with->text()); });
        QPushButton *all = buttons->addButton(tr("Replace All"), QDialogButtonBox::ActionRole);
        connect(all, &QPushButton::clicked, &dialog, [&] { ReplaceAll(what->text(), with->text()); });
    }
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    RunModalDialog(dialog);
}

void TWpTextControl::TablePropertiesDialog() {
    QTextTable *t = cursor().currentTable();
    if (!t)
        return;
    const int current = TableCellBorder(TableAtInputPos(), TableRowAtInputPos(), TableColAtInputPos(), 0);
    const std::optional<int> width =
        AskNumber(this, tr("Table Properties"), tr("Border width (twips):"), current, 0, 255, 5);
    if (width)
        SetTableBorder(*width);
}

} // namespace orva::richtext
