// Merge fields filled from the report, abbreviation markup written at the caret, and the local
// abbreviation list: adding, deleting and choosing entries.
#include "editor/wpform/MergeFields.h"
#include "editor/wpform/TWPForm.h"

#include "common/HostText.h"
#include "editor/report/HostMarkup.h"
#include "platform/files/SharedFile.h"
#include "platform/richtext/TWpTextControl.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QTextBlock>
#include <QTextDocument>

using orva::richtext::FieldIdProperty;
using orva::richtext::TWpDocument;

namespace {

constexpr char kColourMark = char(0xA4);
constexpr char kSizeMark = char(0xA9);
constexpr char kFontMark = char(0xAE);
const QByteArray kForbiddenNameChars = "/._{~` =";
const QString kAddCaption = QStringLiteral("Add Abbreviation");

// 0x00BBGGRR, as the markup stores colours.
quint32 windowsColour(const QColor &c) {
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

QByteArray withoutForbidden(QByteArray name) {
    for (char c : kForbiddenNameChars)
        name.replace(c, QByteArray());
    return name;
}

} // namespace

bool TWPForm::mergeFields(int part) {
    m_resultBox->ActivateHeaderFooter(part);
    QTextDocument *doc = m_resultBox->activeDocument();
    const bool mainText = part == orva::richtext::PartMain;
    int pos = 0;
    for (;;) {
        const QTextCursor open = doc->find(QStringLiteral("<<"), pos);
        if (open.isNull())
            return true;
        const int start = open.selectionStart();
        const QTextCursor close = doc->find(QStringLiteral(">>"), open.selectionEnd());
        if (close.isNull())
            return true;
        const int end = close.selectionEnd();
        const QString inner = TWpDocument::plainText(doc, start + 2, end - 2);
        // A field never spans a paragraph end: such a pair is left as text.
        if (inner.contains('\r')) {
            pos = start + 2;
            continue;
        }
        const MergeFieldValue v =
            MergeFieldValueFor(HostText::fromUnicode(inner), mainText, m_reportRecord, m_tagList);
        m_resultBox->setSelStart(start);
        m_resultBox->setSelLength(end - start);
        const int id = m_resultBox->InsertField(QString());
        if (id == 0)
            return false;
        m_resultBox->setFieldCurrent(id);
        m_resultBox->setFieldText(HostText::toUnicode(v.text));
        m_resultBox->setFieldChangeable(v.changeable);
        if (v.placeholder)
            m_resultBox->SetFieldData(id, PlaceholderFieldData);
        const int after = m_resultBox->FieldEnd();
        if (after <= start)
            return false;
        pos = after;
    }
}

void TWPForm::InsertAbbreviationText(const QByteArray &markup) {
    QTextCursor c = m_resultBox->editor()->textCursor();
    ImportHostMarkup(m_resultBox->document(), c, markup, HostText::fromUnicode(m_resultBox->FontName()),
                     QByteArray::number(m_resultBox->FontSize()), MarkupKind::Abbreviation);
    m_resultBox->editor()->setTextCursor(c);
}

QByteArray TWPForm::SelectionAsAbbreviationMarkup() const {
    const QTextCursor sel = m_resultBox->editor()->textCursor();
    const int from = sel.selectionStart();
    const int to = sel.selectionEnd();
    QTextDocument *doc = m_resultBox->activeDocument();
    QByteArray out;
    bool first = true;
    bool bold = false, italic = false, underline = false;
    quint32 colour = 0;
    QString font;
    int size = 0;
    int lastField = 0;
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        if (b.position() > from)
            out += '~';
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const int fs = qMax(from, frag.position());
            const int fe = qMin(to, frag.position() + frag.length());
            if (fe <= fs)
                continue;
            const QTextCharFormat f = frag.charFormat();
            const quint32 c = windowsColour(f.foreground().color());
            const QString family = f.fontFamilies().toStringList().value(0);
            const int points = qMax(1, qRound(f.fontPointSize() > 0 ? f.fontPointSize() : 10));
            if (first || c != colour)
                out += kColourMark + QByteArray::number(c) + kColourMark;
            if (first || family != font)
                out += kFontMark + HostText::fromUnicode(family) + kFontMark;
            if (first || points != size)
                out += kSizeMark + QByteArray::number(points) + kSizeMark;
            colour = c;
            font = family;
            size = points;
            first = false;
            const bool b2 = f.fontWeight() > QFont::Normal;
            if (b2 != bold)
                out += '{';
            if (f.fontItalic() != italic)
                out += '|';
            if (f.fontUnderline() != underline)
                out += '_';
            bold = b2;
            italic = f.fontItalic();
            underline = f.fontUnderline();
            const int field = f.property(FieldIdProperty).toInt();
            if (field != 0) {
                if (field != lastField)
                    out += '`';
                lastField = field;
                continue;
            }
            lastField = 0;
            out += HostText::fromUnicode(TWpDocument::plainText(doc, fs, fe));
        }
    }
    return out;
}

bool TWPForm::saveAbbreviationList(QString *error) {
    // The report's host entries ("/" lines) stay last in memory and never reach the file: they may
    // be patient-specific and belong to this report only.
    QByteArrayList local, host;
    for (const QByteArray &line : std::as_const(m_abbreviationList))
        (line.startsWith('/') ? host : local).append(line);
    m_abbreviationList = local + host;
    refreshAbbreviationListBox();
    if (m_abbreviationFile.isEmpty()) {
        *error = QStringLiteral("No abbreviation file is open.");
        return false;
    }
    return writeListFile(m_abbreviationFile, local, error);
}

// Lists are shared files: replaced in one step, so that a failed write leaves the old list whole.
bool TWPForm::writeListFile(const QString &path, const QByteArrayList &lines, QString *error) {
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return SharedFile::save(path, text, error);
}

void TWPForm::Addabbreviation1Click(int tag) {
    if (m_resultBox->SelLength() <= 0) {
        m_messages.information(QStringLiteral("Add abbreviation"),
                               QStringLiteral("Please select an area of your document to be the new "
                                              "abbreviation before selecting \"Add\""));
        return;
    }
    QByteArray name;
    QString entered;
    for (;;) {
        if (!m_messages.inputBox(kAddCaption, QStringLiteral("Enter the new abbreviation"), entered))
            return;
        name = HostText::fromUnicode(entered).toUpper();
        const QByteArray clean = withoutForbidden(name);
        if (clean == name)
            break;
        entered = HostText::toUnicode(clean);
        m_messages.information(kAddCaption, QStringLiteral("Forbidden Characters removed. Try again."));
    }
    if (name.isEmpty())
        return;
    qsizetype existing = -1;
    for (qsizetype i = 0; i < m_abbreviationList.size(); ++i) {
        const QByteArray &line = m_abbreviationList.at(i);
        if (!line.startsWith('/') && line.left(line.indexOf('=')).compare(name, Qt::CaseInsensitive) == 0)
            existing = i;
    }
    if (existing >= 0 &&
        !m_messages.yesNo(kAddCaption, HostText::toUnicode(name) +
                                           QStringLiteral(" already in use!!\r\nDo you want to overwrite the "
                                                          "existing version?")))
        return;

    QByteArray expansion;
    if (tag == 3) {
        const QString file = m_abbreviationFile + '.' + HostText::toUnicode(name) + QStringLiteral(".abx");
        if (m_abbreviationFile.isEmpty() ||
            !m_resultBox->SaveDocument(file, -1, true, orva::richtext::FormatEditorFile)) {
            m_messages.error(QStringLiteral("Save abbreviation"),
                             QStringLiteral("Sorry, the new abreviation could not be saved."));
            return;
        }
        expansion = "///FILE:" + name + ".abx";
    } else if (tag == 2) {
        expansion = SelectionAsAbbreviationMarkup();
    } else {
        // One entry is one line: paragraph ends become line-end marks.
        expansion = HostText::fromUnicode(m_resultBox->SelText());
        expansion.replace("\r\n", "~").replace('\r', '~').replace('\n', '~');
    }
    const QByteArray line = name + '=' + expansion;
    if (existing >= 0)
        m_abbreviationList[existing] = line;
    else
        m_abbreviationList.append(line);
    QString error;
    if (!saveAbbreviationList(&error))
        m_messages.error(QStringLiteral("Abbreviation File update"),
                         QStringLiteral("Abbreviation FILE update failed:\r\n") + error);
}

void TWPForm::expandChosenAbbreviation() {
    const QListWidgetItem *item = m_abbreviationListBox->currentItem();
    if (!item)
        return;
    m_resultBox->setSelLength(0);
    m_resultBox->setSelText(item->text());
    ExpandAbbreviation(false);
    m_resultBox->FocusText();
}

void TWPForm::deleteChosenAbbreviation() {
    const int row = m_abbreviationListBox->currentRow();
    if (row < 0 || row >= m_abbreviationList.size())
        return;
    const QString name = m_abbreviationListBox->item(row)->text();
    if (!m_messages.yesNo(QStringLiteral("Delete abbreviation entry"),
                          QStringLiteral("Are you sure you want to do delete ") + name))
        return;
    m_abbreviationList.removeAt(row);
    QString error;
    if (!saveAbbreviationList(&error))
        m_messages.error(QStringLiteral("Abbreviation File update"),
                         QStringLiteral("Abbreviation FILE update failed:\r\n") + error);
}

bool TWPForm::abbreviationListKey(QKeyEvent *e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        expandChosenAbbreviation();
        return true;
    }
    if (e->text() == QStringLiteral(".")) {
        deleteChosenAbbreviation();
        return true;
    }
    return false;
}
