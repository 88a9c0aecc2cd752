// The word processor's document model: three text parts, fields, pictures and page set-up.
#include "platform/richtext/TWpDocument.h"

#include <QTextBlock>
#include <QTextCursor>

namespace orva::richtext {

TWpDocument::TWpDocument(QObject *parent)
    : QObject(parent), m_main(std::make_unique<QTextDocument>()), m_header(std::make_unique<QTextDocument>()),
      m_footer(std::make_unique<QTextDocument>()) {
    for (QTextDocument *d : {m_main.get(), m_header.get(), m_footer.get()}) {
        d->setDocumentMargin(0);
        d->setDefaultFont(QFont(QStringLiteral("Arial"), 10));
        d->setUndoRedoEnabled(true);
    }
    setupPageSize();
}

TWpDocument::~TWpDocument() = default;

QTextDocument *TWpDocument::part(int code) const {
    switch (code) {
    case PartHeader:
        return m_header.get();
    case PartFooter:
        return m_footer.get();
    default:
        return m_main.get();
    }
}

void TWpDocument::clear() {
    for (QTextDocument *d : {m_main.get(), m_header.get(), m_footer.get()}) {
        d->clear();
        d->clearUndoRedoStacks();
    }
    m_fields.clear();
    pictures.clear();
}

void TWpDocument::setupPageSize() {
    const double w = twipsToUnits(page.width - page.marginL - page.marginR);
    m_main->setTextWidth(qMax(1.0, w));
    m_header->setTextWidth(qMax(1.0, w));
    m_footer->setTextWidth(qMax(1.0, w));
}

int TWpDocument::newFieldId() {
    int id = m_fields.isEmpty() ? 1 : m_fields.lastKey() + 1;
    m_fields.insert(id, TWpFieldInfo{});
    return id;
}

bool TWpDocument::fieldExists(int id) const {
    if (!m_fields.contains(id))
        return false;
    int s, e;
    for (QTextDocument *d : {m_main.get(), m_header.get(), m_footer.get()})
        if (fieldRange(d, id, s, e))
            return true;
    return false;
}

int TWpDocument::fieldIdAt(QTextDocument *doc, int pos) {
    if (pos < 0 || pos >= doc->characterCount() - 1)
        return 0;
    const QTextBlock block = doc->findBlock(pos);
    if (!block.isValid() || pos - block.position() >= block.length() - 1)
        return 0; // a paragraph end belongs to no field
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment f = it.fragment();
        if (pos >= f.position() && pos < f.position() + f.length())
            return f.charFormat().intProperty(FieldIdProperty);
    }
    return 0;
}

QList<TWpDocument::FieldSpan> TWpDocument::fieldSpans(QTextDocument *doc) {
    QList<FieldSpan> spans;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        bool open = false; // a run never goes on past a paragraph end
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const int id = f.charFormat().intProperty(FieldIdProperty);
            if (id == 0) {
                open = false;
                continue;
            }
            if (open && spans.last().id == id && spans.last().end == f.position())
                spans.last().end = f.position() + f.length();
            else
                spans.append({id, f.position(), f.position() + f.length()});
            open = true;
        }
    }
    return spans;
}

QList<int> TWpDocument::fieldOrder(QTextDocument *doc) const {
    QList<int> order;
    int previous = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const int id = it.fragment().charFormat().intProperty(FieldIdProperty);
            if (id != 0 && id != previous && !order.contains(id))
                order.append(id);
            previous = id;
        }
        previous = 0;
    }
    return order;
}

bool TWpDocument::fieldRange(QTextDocument *doc, int id, int &start, int &end) const {
    start = -1;
    end = -1;
    if (id == 0)
        return false;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.charFormat().intProperty(FieldIdProperty) != id) {
                if (start >= 0)
                    return true;
                continue;
            }
            if (start < 0)
                start = f.position();
            end = f.position() + f.length();
        }
        if (start >= 0)
            return true; // a field never spans a paragraph end
    }
    return start >= 0;
}

int TWpDocument::nextField(QTextDocument *doc, int id) {
    const QList<int> order = fieldOrder(doc);
    for (int f : order) {
        int s, e;
        if (fieldRange(doc, f, s, e))
            m_fields[f].lastStart = s;
    }
    if (id == 0)
        return order.isEmpty() ? 0 : order.first();
    const int index = order.indexOf(id);
    if (index >= 0)
        return index + 1 < order.size() ? order.at(index + 1) : 0;
    // The field is gone: continue with the first one starting at or after where it was.
    const int was = m_fields.value(id).lastStart;
    for (int f : order)
        if (m_fields.value(f).lastStart >= was)
            return f;
    return 0;
}

int TWpDocument::newPictureId() {
    return m_nextPictureId++;
}

int TWpDocument::addPicture(TWpPicture picture) {
    if (picture.id <= 0 || std::any_of(pictures.begin(), pictures.end(),
                                       [&](const TWpPicture &p) { return p.id == picture.id; }))
        picture.id = newPictureId();
    m_nextPictureId = qMax(m_nextPictureId, picture.id + 1);
    pictures.append(picture);
    return picture.id;
}

QString TWpDocument::plainText(QTextDocument *doc) {
    return plainText(doc, 0, doc->characterCount() - 1);
}

QString TWpDocument::plainText(QTextDocument *doc, int start, int end) {
    QString raw = doc->toRawText();
    start = qBound(0, start, int(raw.size()));
    end = qBound(start, end, qMin(int(raw.size()), doc->characterCount() - 1));
    QString text = raw.mid(start, end - start);
    for (QChar &c : text) {
        switch (c.unicode()) {
        case 0x2029: // paragraph separator
        case 0xFDD0: // beginning of frame
        case 0xFDD1: // end of frame
            c = u'\r';
            break;
        case 0x2028: // line separator
            c = u'\v';
            break;
        default:
            break;
        }
    }
    return text;
}

} // namespace orva::richtext
