// The common setter and the family setters of host controls.
#include "hostforms/forms/TPickSetters.h"

#include "common/HostText.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/HostFiles.h"
#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TBevel.h"
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickLabel.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TScrollWorkspace.h"
#include "hostforms/forms/TWorkspaceList.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"
#include "platform/richtext/TWpRtf.h"

#include <QBuffer>
#include <QComboBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

using namespace HostProtocol;

namespace {

constexpr int kMaxImageSide = 4096;

QString text(const QByteArray &bytes) {
    return HostText::toUnicode(bytes);
}

// Multi-line host values: 0xFD stands for a line break.
QString lines(const QByteArray &bytes) {
    QByteArray b = bytes;
    b.replace(kValueMark, '\n');
    return text(b);
}

Qt::Alignment horizontal(int alignment) {
    return alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
}

Qt::Alignment vertical(int layout) {
    return layout == 1 ? Qt::AlignVCenter : layout == 2 ? Qt::AlignBottom : Qt::AlignTop;
}

bool hasTabOrder(PickType tag) {
    switch (tag) {
    case PickType::Label:
    case PickType::Image:
    case PickType::Splitter:
    case PickType::Bevel:
        return false;
    default:
        return true;
    }
}

// Controls whose colour is the colour of their text area rather than of their background.
bool colourIsBase(PickType tag) {
    switch (tag) {
    case PickType::LabeledEdit:
    case PickType::Memo:
    case PickType::RichEdit:
    case PickType::ListBox:
    case PickType::ComboBox:
        return true;
    default:
        return false;
    }
}

// Siblings with a tab order form the focus chain in that order (then by creation).
void applyTabOrder(QWidget *parent) {
    if (!parent) {
        return;
    }
    QList<QWidget *> ordered;
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && w->property(PickProperties::kTabOrder).isValid()) {
            ordered.append(w);
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](QWidget *a, QWidget *b) {
        return a->property(PickProperties::kTabOrder).toInt() <
               b->property(PickProperties::kTabOrder).toInt();
    });
    for (qsizetype i = 1; i < ordered.size(); ++i) {
        QWidget::setTabOrder(ordered[i - 1], ordered[i]);
    }
}

QRect workArea() {
    QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Items or lines from field `first` on.
QList<QByteArray> fieldsFrom(const TPickControl &def, int first) {
    QList<QByteArray> out;
    for (int i = first; i < def.Fields.size(); ++i) {
        out.append(def.Fields[i]);
    }
    return out;
}

} // namespace

void loadRichText(QTextEdit *edit, const QByteArray &data) {
    if (orva::richtext::detectFileKind(data.left(16)) == orva::richtext::TWpFileKind::Rtf) {
        orva::richtext::TWpDocument doc;
        if (orva::richtext::readRtf(data, doc).ok) {
            edit->setDocument(doc.main()->clone(edit));
            return;
        }
    }
    edit->setPlainText(text(data));
}

// One row of the family table: which Tag, whether the hint (24) and the font (12) apply, and the
// family's own setter.
struct TPickSetters::Family {
    PickType tag;
    bool hint;
    bool font;
    QByteArray (*apply)(TPickSetters &, const Target &);
};

template <class W, QByteArray (TPickSetters::*Setter)(const TPickSetters::Target &, W *)>
QByteArray TPickSetters::checked(TPickSetters &self, const Target &t) {
    W *w = qobject_cast<W *>(t.w);
    if (!w) {
        // A Tag that does not match its widget is a fault of ours; refuse rather than guess.
        return "Object " + t.name + " is not a control of type " + QByteArray::number(typeNumber(t.tag));
    }
    return (self.*Setter)(t, w);
}

QByteArray TPickSetters::Apply(TWinPick *ws, QWidget *w, PickType tag, const TPickControl &def,
                               QWidget *parentControl) {
    using S = TPickSetters;
    static const Family families[] = {
        {PickType::ScrollWorkspace, true, true, &checked<TScrollWorkspace, &S::scrollWorkspace>},
        {PickType::LabeledEdit, true, true, &checked<TLabeledEdit, &S::labeledEdit>},
        {PickType::Label, true, true, &checked<TPickLabel, &S::label>},
        {PickType::Memo, false, true, &checked<QPlainTextEdit, &S::memo>},
        {PickType::RichEdit, false, true, &checked<QTextEdit, &S::richEdit>},
        {PickType::ListBox, false, true, &checked<QListWidget, &S::listBox>},
        {PickType::ComboBox, false, true, &checked<QComboBox, &S::comboBox>},
        {PickType::Image, true, false, &checked<TPickImage, &S::image>},
        {PickType::Button, true, true, &checked<QPushButton, &S::button>},
        {PickType::Splitter, false, false, &checked<QWidget, &S::nothing>},
        {PickType::Panel, true, true, &checked<TPickPanel, &S::panel>},
        {PickType::RadioButton, true, true, &checked<QAbstractButton, &S::checkBox>},
        {PickType::CheckBox, true, true, &checked<QAbstractButton, &S::checkBox>},
        {PickType::WebBrowser, false, true, &checked<QWidget, &S::nothing>},
        {PickType::GridPanel, false, true, &checked<TgdGridPanel, &S::gridPanel>},
        {PickType::FormWorkspace, true, true, &checked<TFormWorkspace, &S::formWorkspace>},
        {PickType::Bevel, false, false, &checked<TBevel, &S::bevel>},
        {PickType::ResultEntry, false, true, &checked<TkalvexResult, &S::resultEntry>},
        {PickType::PrintPanel, true, true, &checked<TPickPanel, &S::panel>},
    };
    if (QByteArray err = applyCommon(w, tag, def, parentControl); !err.isEmpty()) {
        return err;
    }
    const Family *family = std::find_if(std::begin(families), std::end(families),
                                        [tag](const Family &f) { return f.tag == tag; });
    if (family == std::end(families)) {
        return {};
    }
    applyColour(w, tag, def);
    if (family->font) {
        if (QByteArray err = applyFont(w, def); !err.isEmpty()) {
            return err;
        }
    }
    const Target target{ws, w, tag, def, w->objectName().toLatin1()};
    if (QByteArray err = family->apply(*this, target); !err.isEmpty()) {
        return err;
    }
    if (family->hint && def.given(Field::TextOut)) {
        // Qt takes a hint that looks like markup as rich text; host text is shown as it is.
        const QString hintText = text(def.TextOut);
        w->setToolTip(Qt::mightBeRichText(hintText) ? Qt::convertFromPlainText(hintText) : hintText);
    }
    return {};
}

QByteArray TPickSetters::applyCommon(QWidget *w, PickType tag, const TPickControl &def,
                                     QWidget *parentControl) {
    const bool form = tag == PickType::FormWorkspace;
    const QRect area = form ? workArea() : QRect();
    QRect g = form ? QRect(w->pos(), w->size()) : w->geometry();
    auto value = [&](int v, int whole) { return form && v == -1 ? whole : v; };
    if (def.given(Field::Left)) {
        g.moveLeft(value(def.Left, area.left()));
    }
    if (def.given(Field::Top)) {
        g.moveTop(value(def.Top, area.top()));
    }
    if (def.given(Field::Width)) {
        g.setWidth(std::max(0, value(def.Width, area.width())));
    }
    if (def.given(Field::Height) && def.Height != 0) {
        g.setHeight(std::max(0, value(def.Height, area.height())));
    }
    if (form) {
        w->move(g.topLeft());
        w->resize(g.size());
    } else {
        w->setGeometry(g);
    }
    if (def.given(Field::TabOrder) && hasTabOrder(tag) && !form) {
        w->setProperty(PickProperties::kTabOrder, def.TabOrder);
        applyTabOrder(w->parentWidget());
    }
    if (def.given(Field::Align) && !form) {
        AlignLayout::Engine::setAlign(w, def.Align);
    }
    if (def.given(Field::Parent) && !form && parentControl) {
        QWidget *target = TWorkspaceList::clientFor(parentControl);
        if (target != w && target != w->parentWidget() && !w->isAncestorOf(target)) {
            const bool shown = !w->isHidden();
            w->setParent(target);
            w->setVisible(shown);
        }
    }
    if (def.given(Field::Anchors) && !form) {
        AlignLayout::Engine::setAnchors(w, def.Anchors);
    } else if (!form) {
        AlignLayout::Engine::remember(w);
    }
    if (def.given(Field::Events)) {
        w->setProperty(PickProperties::kEvents, def.Events);
    }
    return {};
}

void TPickSetters::applyColour(QWidget *w, PickType tag, const TPickControl &def) {
    if (!def.given(Field::Colour) || def.Colour == -1) {
        return;
    }
    const std::optional<QColor> c = PickControl::colourFromNumber(def.Colour);
    if (!c) {
        return;
    }
    w->setProperty(kColourNumberProperty, def.Colour);
    QPalette p = w->palette();
    if (colourIsBase(tag)) {
        p.setColor(QPalette::Base, *c);
    } else {
        p.setColor(QPalette::Window, *c);
        w->setAutoFillBackground(true);
    }
    if (auto *s = qobject_cast<TScrollWorkspace *>(w)) {
        s->content()->setPalette(p);
        s->content()->setAutoFillBackground(true);
    }
    w->setPalette(p);
}

QByteArray TPickSetters::applyFont(QWidget *w, const TPickControl &def) {
    if (!def.given(Field::Font)) {
        return {};
    }
    if (!def.FontSource.isEmpty()) {
        if (QWidget *source = m_list.FindPickObject(m_list.FindWorkspace(def.FontSource), def.FontSource)) {
            w->setFont(source->font());
        }
        return {};
    }
    TPickControl fd;
    if (QByteArray err = PickControl::ParseFontDefinition(def.FontText, fd); !err.isEmpty()) {
        return err;
    }
    QFont f = w->font();
    std::optional<QColor> colour;
    PickControl::applyFontDefinition(fd, f, colour);
    w->setFont(f);
    if (colour) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, *colour);
        p.setColor(QPalette::Text, *colour);
        p.setColor(QPalette::ButtonText, *colour);
        w->setPalette(p);
    }
    return {};
}

void TPickSetters::loadTextFile(const Target &t, const QByteArray &value, bool rich) {
    const QByteArray path = PickControl::substituteEnvironment(value);
    if (!PickControl::looksLikeFilePath(path)) {
        return;
    }
    const HostFiles::Result r = HostFiles::read(path);
    if (r.status == HostFiles::Status::Missing) {
        t.ws->send(objectError(t.name, t.ws->Name, "File " + path + " does not exist."));
        return;
    }
    if (r.status == HostFiles::Status::Refused) {
        t.ws->send(objectError(t.name, t.ws->Name, userText(r.reason).bytes()));
        return;
    }
    if (auto *edit = qobject_cast<QTextEdit *>(t.w); rich && edit) {
        loadRichText(edit, r.data);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(t.w)) {
        plain->setPlainText(text(r.data));
    }
}

QByteArray TPickSetters::labeledEdit(const Target &t, TLabeledEdit *e) {
    namespace F = Field::Edit;
    const TPickControl &def = t.def;
    if (def.given(Field::Align)) {
        // The label's text layout (top, centre, bottom) read from fields 11 and 13.
        QLabel *label = e->EditLabel();
        label->setAlignment((label->alignment() & Qt::AlignHorizontal_Mask) | vertical(def.Layout));
    }
    if (def.given(Field::Alignment)) {
        e->setLabelPosition(def.LabelPosition);
    }
    if (def.given(Field::ObjectStyle)) {
        e->setFrame(def.BorderStyle == 1);
    }
    if (def.given(Field::Value)) {
        e->EditLabel()->setText(text(def.Value));
    }
    // A create's empty field 18 still sets an empty text with the default length.
    if (def.present(F::Text)) {
        e->setText(text(def.field(F::Text)));
        e->setMaxLength(
            def.field(F::Text).isEmpty() ? 40 : int(qMin<qsizetype>(32767, def.field(F::Text).size())));
    }
    bool placement = false;
    if (def.given(F::MaxLength)) {
        if (const std::optional<qint64> m = readInteger(def.field(F::MaxLength))) {
            e->setMaxLength(*m <= 0 ? 32767 : int(qMin<qint64>(*m, 32767)));
        }
        placement = true;
        e->EditLabel()->setWordWrap(false);
        e->setLabelPosition(TLabeledEdit::Left);
    }
    if (def.given(F::LabelWordWrap) && def.field(F::LabelWordWrap).toLower().contains('y')) {
        e->EditLabel()->setWordWrap(true);
    }
    if (def.given(F::LabelPositionWords)) {
        const QByteArray p = def.field(F::LabelPositionWords).toLower();
        if (p.contains("right")) {
            e->setLabelPosition(TLabeledEdit::Right);
        } else if (p.contains("above")) {
            e->setLabelPosition(TLabeledEdit::Above);
        } else if (p.contains("below")) {
            e->setLabelPosition(TLabeledEdit::Below);
        }
    }
    if (def.given(F::LabelPlacement)) {
        placement = !def.field(F::LabelPlacement).toLower().contains('n');
        if (placement) {
            e->EditLabel()->setAlignment(Qt::AlignCenter);
            e->EditLabel()->adjustSize();
            const QPoint given(def.given(Field::Left) ? def.Left : e->x(),
                               def.given(Field::Top) ? def.Top : e->y());
            e->move(PickControl::labelPlacement(given, e->EditLabel()->size(), e->LabelPosition(),
                                                e->LabelSpacing));
            AlignLayout::Engine::remember(e);
        }
    }
    e->placeLabel();
    return {};
}

QByteArray TPickSetters::label(const Target &t, TPickLabel *l) {
    const TPickControl &def = t.def;
    Qt::Alignment a = l->alignment();
    if (def.given(Field::Alignment)) {
        a = (a & Qt::AlignVertical_Mask) | horizontal(def.Alignment);
    }
    if (def.given(Field::ObjectStyle) || def.given(Field::Alignment)) {
        a = (a & Qt::AlignHorizontal_Mask) | vertical(def.Layout);
    }
    l->setAlignment(a);
    if (def.given(Field::Value)) {
        l->setText(text(def.Value));
    }
    if (def.HasPosition) {
        l->Overlay = {true,
                      {def.PositionX, def.PositionY},
                      text(def.PositionText),
                      l->font(),
                      l->palette().color(QPalette::WindowText)};
        l->update();
    }
    return {};
}

namespace {

void applyScrollBars(QAbstractScrollArea *area, const QByteArray &field18) {
    const QByteArray s = field18.toLower();
    Qt::ScrollBarPolicy h = Qt::ScrollBarAlwaysOff, v = Qt::ScrollBarAlwaysOff;
    if (s.isEmpty() || s.contains("non")) {
    } else if (s.contains("both")) {
        h = v = Qt::ScrollBarAlwaysOn;
    } else if (s.contains("hori")) {
        h = Qt::ScrollBarAlwaysOn;
    } else if (s.contains("vert")) {
        v = Qt::ScrollBarAlwaysOn;
    }
    area->setHorizontalScrollBarPolicy(h);
    area->setVerticalScrollBarPolicy(v);
}

QString joinedLines(const TPickControl &def) {
    QStringList ls;
    for (const QByteArray &line : fieldsFrom(def, Field::Memo::Lines)) {
        ls.append(lines(line));
    }
    return ls.join('\n');
}

} // namespace

QByteArray TPickSetters::memo(const Target &t, QPlainTextEdit *m) {
    namespace F = Field::Memo;
    const TPickControl &def = t.def;
    if (def.given(Field::Alignment)) {
        // On the document, so that it holds for lines loaded later as well.
        QTextOption option = m->document()->defaultTextOption();
        option.setAlignment(horizontal(def.Alignment));
        m->document()->setDefaultTextOption(option);
    }
    if (def.given(Field::Value)) {
        loadTextFile(t, def.Value, false);
    }
    if (def.present(F::ScrollBars)) {
        applyScrollBars(m, def.field(F::ScrollBars));
    }
    if (def.given(F::ReadOnly)) {
        m->setReadOnly(def.field(F::ReadOnly).toLower().startsWith('y'));
    }
    if (def.given(F::WordWrap)) {
        const bool wrap = def.field(F::WordWrap).toLower().startsWith('y');
        m->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    }
    if (def.presentFrom(F::Lines)) {
        const QString joined = joinedLines(def);
        if (def.SubAction == 1) {
            m->appendPlainText(joined);
        } else if (def.SubAction == 2) {
            QTextCursor c(m->document());
            c.movePosition(QTextCursor::Start);
            c.insertText(joined + '\n');
        } else {
            m->setPlainText(joined);
        }
    }
    return {};
}

QByteArray TPickSetters::richEdit(const Target &t, QTextEdit *r) {
    namespace F = Field::Memo;
    const TPickControl &def = t.def;
    if (def.given(Field::Alignment)) {
        r->setAlignment(horizontal(def.Alignment));
    }
    if (def.given(Field::Value)) {
        loadTextFile(t, def.Value, true);
    }
    if (def.present(F::ScrollBars)) {
        applyScrollBars(r, def.field(F::ScrollBars));
    }
    if (def.given(F::ReadOnly)) {
        r->setReadOnly(def.field(F::ReadOnly).toLower().startsWith('y'));
    }
    if (def.given(F::WordWrap)) {
        const bool wrap = def.field(F::WordWrap).toLower().startsWith('y');
        r->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    }
    if (def.presentFrom(F::Lines)) {
        // The lines from field 21 on are one rich-text stream (0xFD stands for a line break).
        QByteArray flat = fieldsFrom(def, F::Lines).join();
        flat.replace(kValueMark, QByteArray());
        if (!flat.trimmed().isEmpty()) {
            QByteArray stream = fieldsFrom(def, F::Lines).join('\n');
            stream.replace(kValueMark, '\n');
            r->clear();
            loadRichText(r, stream);
        }
    }
    return {};
}

namespace {

QStringList itemTexts(const TPickControl &def) {
    QStringList items;
    for (const QByteArray &item : fieldsFrom(def, Field::List::Items)) {
        items.append(text(item));
    }
    return items;
}

// The item index of field 17, when it names an item (or -1 for none).
std::optional<int> itemIndex(const TPickControl &def, int count) {
    if (!def.given(Field::Value)) {
        return std::nullopt;
    }
    const std::optional<qint64> i = readInteger(def.Value);
    if (!i || count <= 0 || *i < -1 || *i >= count) {
        return std::nullopt;
    }
    return int(*i);
}

} // namespace

QByteArray TPickSetters::listBox(const Target &t, QListWidget *list) {
    const TPickControl &def = t.def;
    if (def.presentFrom(Field::List::Items)) {
        const QStringList items = itemTexts(def);
        if (def.SubAction == 0) {
            list->clear();
        }
        def.SubAction == 2 ? list->insertItems(0, items) : list->addItems(items);
    }
    // The index is applied after the items are loaded, so that a create can select one.
    if (const std::optional<int> i = itemIndex(def, list->count())) {
        list->setCurrentRow(*i);
    }
    return {};
}

QByteArray TPickSetters::comboBox(const Target &t, QComboBox *combo) {
    const TPickControl &def = t.def;
    // The style word is field 13's; the host applies it by giving field 11.
    if (def.given(Field::Alignment)) {
        combo->setEditable(def.ComboStyle <= 1);
    }
    if (def.presentFrom(Field::List::Items)) {
        const QStringList items = itemTexts(def);
        if (def.SubAction == 0) {
            combo->clear();
        }
        def.SubAction == 2 ? combo->insertItems(0, items) : combo->addItems(items);
    }
    if (const std::optional<int> i = itemIndex(def, combo->count())) {
        combo->setCurrentIndex(*i);
    }
    return {};
}

QByteArray TPickSetters::image(const Target &t, TPickImage *img) {
    const TPickControl &def = t.def;
    // Stretch is the "y" flag of field 9, applied when field 11 is given and again after a load
    // when field 8 is.
    if (def.given(Field::Alignment)) {
        img->setStretch(def.ParentColourFlag);
    }
    if (def.given(Field::Value)) {
        const QByteArray path = PickControl::substituteEnvironment(def.Value);
        const HostFiles::Result r = HostFiles::read(path);
        if (r.status == HostFiles::Status::Ok) {
            QBuffer buf;
            buf.setData(r.data);
            QImageReader reader(&buf);
            const QSize s = reader.size();
            const bool large = s.isValid() && (s.width() > kMaxImageSide || s.height() > kMaxImageSide);
            if (large) {
                // A picture this large is shown scaled down, which keeps its memory bounded.
                reader.setScaledSize(s.scaled(kMaxImageSide, kMaxImageSide, Qt::KeepAspectRatio));
            }
            const QImage image = reader.read();
            if (!image.isNull()) {
                img->setPicture(image);
                if (def.given(Field::TabOrder)) {
                    img->setStretch(def.ParentColourFlag);
                }
            } else if (large) {
                t.ws->send(objectError(t.name, t.ws->Name,
                                       "Picture " + path + " is " + QByteArray::number(s.width()) + " x " +
                                           QByteArray::number(s.height()) +
                                           " pixels and could not be shown scaled."));
            }
        }
    }
    if (def.HasPosition) {
        if (!img->drawText({def.PositionX, def.PositionY}, text(def.PositionText), img->font())) {
            return "Image Update Failed: the picture cannot be drawn on";
        }
    }
    return {};
}

QByteArray TPickSetters::button(const Target &t, QPushButton *b) {
    if (t.def.given(Field::Value)) {
        b->setText(text(t.def.Value));
    }
    return {};
}

QByteArray TPickSetters::panel(const Target &t, TPickPanel *p) {
    const TPickControl &def = t.def;
    const bool captioned = t.tag == PickType::Panel || t.tag == PickType::PrintPanel;
    // The border word is field 13's; the host applies it by giving field 10.
    if (def.given(Field::Align) && captioned) {
        p->setFrameShape(def.BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
    }
    if (def.given(Field::Alignment)) {
        p->setCaptionAlignment(horizontal(def.Alignment));
    }
    if (def.given(Field::Value) && captioned) {
        p->setCaption(text(def.Value));
    }
    return {};
}

QByteArray TPickSetters::checkBox(const Target &t, QAbstractButton *b) {
    const TPickControl &def = t.def;
    if (def.given(Field::Alignment)) {
        b->setLayoutDirection(def.Alignment == 0 ? Qt::RightToLeft : Qt::LeftToRight);
    }
    if (def.given(Field::Value)) {
        b->setText(text(def.Value));
    }
    if (def.present(Field::Check::Checked)) {
        b->setChecked(def.field(Field::Check::Checked).toLower().contains('y'));
    }
    return {};
}

QByteArray TPickSetters::bevel(const Target &t, TBevel *b) {
    // The shape applies with its own field (and, as before, with field 8).
    if (t.def.given(Field::Alignment) || t.def.given(Field::TabOrder)) {
        b->setShape(t.def.BevelShape);
    }
    return {};
}

QByteArray TPickSetters::scrollWorkspace(const Target &t, TScrollWorkspace *s) {
    if (t.def.given(Field::Align) || t.def.given(Field::Alignment)) {
        s->setFrameShape(t.def.BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
    }
    s->updateExtent();
    return {};
}

QByteArray TPickSetters::formWorkspace(const Target &t, TFormWorkspace *f) {
    const TPickControl &def = t.def;
    // The form border word is field 13's; the host applies it by giving field 11.
    if (def.given(Field::Alignment)) {
        const bool shown = f->isVisible();
        Qt::WindowFlags flags = Qt::Window;
        if (def.FormBorderStyle == 4 || def.FormBorderStyle == 5) {
            flags = Qt::Tool;
        }
        f->setWindowFlags(flags);
        if (def.FormBorderStyle == 1 || def.FormBorderStyle == 3 || def.FormBorderStyle == 4) {
            f->setFixedSize(f->size());
        } else {
            f->setMinimumSize(0, 0);
            f->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        f->setVisible(shown);
    }
    if (def.given(Field::Value)) {
        f->setWindowTitle(text(def.Value));
    }
    if (def.HasPosition) {
        QFont font = f->font();
        if (!def.FontSource.isEmpty()) {
            if (QWidget *source =
                    m_list.FindPickObject(m_list.FindWorkspace(def.FontSource), def.FontSource)) {
                font = source->font();
            }
        }
        f->Overlay = {true,
                      {def.PositionX, def.PositionY},
                      text(def.PositionText),
                      font,
                      f->palette().color(QPalette::WindowText)};
        f->update();
    }
    return {};
}

QByteArray TPickSetters::gridPanel(const Target &t, TgdGridPanel *g) {
    namespace F = Field::Grid;
    const TPickControl &def = t.def;
    // The border word is field 13's; the host applies it by giving field 8.
    if (def.given(Field::TabOrder)) {
        g->setFrameShape(def.BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
    }
    if (def.given(Field::Value)) {
        g->SetWidthFactors(def.Value);
    }
    if (def.given(F::Fixed)) {
        g->SetFixed(def.field(F::Fixed));
    }
    if (def.given(F::ReadOnly)) {
        g->SetReadOnly(def.field(F::ReadOnly).toLower().contains('y'));
    }
    if (def.given(F::RowSelect)) {
        g->SetRowSelect(def.field(F::RowSelect).toLower().contains('y'));
    }
    if (def.given(F::SortedColumn)) {
        g->SortedColumn =
            int(std::clamp<qint64>(readInteger(def.field(F::SortedColumn)).value_or(0), INT_MIN, INT_MAX));
    }
    if (def.presentFrom(F::FirstRow)) {
        g->SetRows(fieldsFrom(def, F::FirstRow));
    }
    return {};
}

QByteArray TPickSetters::resultEntry(const Target &t, TkalvexResult *r) {
    namespace F = Field::Result;
    const TPickControl &def = t.def;
    if (def.given(Field::Align) || def.given(Field::Alignment)) {
        r->setFrameShape(def.BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
    }
    // Header and footer are print panels of the same workspace.
    auto printPanel = [&t](const QByteArray &name) -> TPickPanel * {
        QWidget *w = t.ws->FindObject(name.trimmed().toLower());
        return t.ws->TagOf(w) == PickType::PrintPanel ? qobject_cast<TPickPanel *>(w) : nullptr;
    };
    if (def.given(F::Header)) {
        r->SetHeader(printPanel(def.field(F::Header)));
    }
    if (def.given(F::Footer)) {
        r->SetFooter(printPanel(def.field(F::Footer)));
    }
    if (def.presentFrom(F::FirstData)) {
        r->SetData(fieldsFrom(def, F::FirstData).join('\n'));
        if (def.given(F::DisplayState)) {
            const std::optional<qint64> state = readInteger(def.field(F::DisplayState));
            const QByteArray err = r->SetDisplayState(state ? int(std::clamp<qint64>(*state, -1, 5)) : -1,
                                                      def.field(F::PrintSettings));
            if (!err.isEmpty()) {
                return "UpdateKXResult " + err;
            }
        }
    }
    return {};
}

QByteArray TPickSetters::nothing(const Target &, QWidget *) {
    return {};
}
