// Workspaces, creation of host controls and their setters.
#include "hostforms/forms/TWinPick.h"

#include "platform/richtext/TWpRtf.h"

#include "common/HostText.h"
#include "common/Trace.h"
#include "common/objectrequest/TObjectRequest.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/HostFiles.h"
#include "hostforms/forms/PickWidgets.h"
#include "hostforms/forms/WebBrowser.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

using namespace HostProtocol;

namespace {

constexpr const char *kTag = "orvaTag";
constexpr const char *kEvents = "orvaEvents";
constexpr const char *kTabOrder = "orvaTabOrder";
constexpr int kMaxImageSide = 4096;

QString text(const QByteArray &bytes) {
    return HostText::toUnicode(bytes);
}

// Multi-line host values: 0xFD stands for a line break.
QString lines(const QByteArray &bytes) {
    QByteArray b = bytes;
    b.replace('\xFD', '\n');
    return text(b);
}

Qt::Alignment horizontal(int alignment) {
    return alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
}

Qt::Alignment vertical(int layout) {
    return layout == 1 ? Qt::AlignVCenter : layout == 2 ? Qt::AlignBottom : Qt::AlignTop;
}

bool hasTabOrder(int tag) {
    switch (tag) {
    case 3:
    case 8:
    case 11:
    case 21:
        return false;
    default:
        return true;
    }
}

QSize defaultSize(int tag) {
    switch (tag) {
    case 1:
        return {185, 41};
    case 2:
        return {121, 21};
    case 3:
        return {32, 13};
    case 4:
    case 5:
        return {185, 89};
    case 6:
        return {121, 97};
    case 7:
        return {145, 21};
    case 8:
        return {105, 105};
    case 10:
        return {75, 25};
    case 11:
        return {3, 100};
    case 12:
    case 23:
        return {185, 41};
    case 13:
    case 14:
        return {97, 17};
    case 17:
        return {300, 200};
    case 21:
        return {50, 50};
    default:
        return {200, 150};
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
        if (w && w->property(kTabOrder).isValid()) {
            ordered.append(w);
        }
    }
    std::stable_sort(ordered.begin(), ordered.end(), [](QWidget *a, QWidget *b) {
        return a->property(kTabOrder).toInt() < b->property(kTabOrder).toInt();
    });
    for (qsizetype i = 1; i < ordered.size(); ++i) {
        QWidget::setTabOrder(ordered[i - 1], ordered[i]);
    }
}

void relayout(QWidget *parent) {
    if (!parent) {
        return;
    }
    AlignLayout::Engine::of(parent)->relayout();
    for (QWidget *p = parent; p; p = p->parentWidget()) {
        if (auto *s = dynamic_cast<TScrollWorkspace *>(p)) {
            s->updateExtent();
            break;
        }
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

namespace PickNames {

QByteArray invalidReason(const QByteArray &name) {
    bool ok = !name.isEmpty() && name.size() <= 255;
    for (qsizetype i = 0; ok && i < name.size(); ++i) {
        const char c = name[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
        ok = letter || (i > 0 && c >= '0' && c <= '9');
    }
    return ok ? QByteArray() : '\'' + name + "' is not a valid component name";
}

} // namespace PickNames

// ---- TWinPick ------------------------------------------------------------------------------------

TWinPick::TWinPick(QWidget *owner, bool isForm) : Tag(isForm ? 17 : 1) {
    if (isForm) {
        Container = new TFormWorkspace(nullptr);
    } else {
        Container = new TScrollWorkspace(owner);
    }
    Container->setProperty(kTag, Tag);
}

TWinPick::~TWinPick() {
    if (Tag == 1 && Container) {
        send(destroyedEvent(ContainerName(), Name, 1));
    }
    if (auto *form = dynamic_cast<TFormWorkspace *>(Container.data())) {
        form->OnCloseQuery = nullptr; // the list it reported to may be gone before the form
    }
    if (Container) {
        // Off its parent and out of sight at once; freed once control is back in the event loop,
        // so that a handler of one of its controls still on the stack is not pulled from under it.
        Container->hide();
        Container->setParent(nullptr);
        Container->deleteLater();
    }
    if (OnFree) {
        OnFree(this);
    }
}

QByteArray TWinPick::ContainerName() const {
    return Container ? Container->objectName().toLatin1() : QByteArray();
}

QWidget *TWinPick::Client() const {
    return TWorkspaceList::clientFor(Container.data());
}

void TWinPick::prune() {
    m_objects.removeIf([](const PickEntry &e) { return e.Widget.isNull(); });
}

const QList<PickEntry> &TWinPick::Objects() {
    prune();
    return m_objects;
}

QWidget *TWinPick::FindObject(const QByteArray &plainName) {
    prune();
    for (const PickEntry &e : m_objects) {
        if (e.Name == plainName) {
            return e.Widget;
        }
    }
    return nullptr;
}

int TWinPick::TagOf(const QWidget *w) {
    if (w && w == Container) {
        return Tag;
    }
    prune();
    for (const PickEntry &e : m_objects) {
        if (e.Widget == w) {
            return e.Tag;
        }
    }
    return 0;
}

void TWinPick::Register(const QByteArray &name, QWidget *w, int tag) {
    m_objects.append(PickEntry{name, w, tag});
}

void TWinPick::Unregister(const QWidget *w) {
    m_objects.removeIf([w](const PickEntry &e) { return e.Widget == w || e.Widget.isNull(); });
}

void TWinPick::send(const QByteArray &message) const {
    if (Sender) {
        Sender(message);
    }
}

// ---- look-ups ------------------------------------------------------------------------------------

TWorkspaceList::~TWorkspaceList() {
    Reset();
}

void TWorkspaceList::prune() {
    std::erase_if(m_items, [](const std::unique_ptr<TWinPick> &w) { return !w->alive(); });
}

int TWorkspaceList::count() {
    prune();
    return int(m_items.size());
}

TWinPick *TWorkspaceList::at(int i) {
    prune();
    return i >= 0 && i < int(m_items.size()) ? m_items[size_t(i)].get() : nullptr;
}

TWinPick *TWorkspaceList::FindWorkspace(const QByteArray &name) {
    prune();
    const qsizetype dot = name.indexOf('.');
    const QByteArray ws = (dot < 0 ? name : name.left(dot)).trimmed().toLower();
    for (const auto &w : m_items) {
        if (w->ContainerName() == ws) {
            return w.get();
        }
    }
    return nullptr;
}

QWidget *TWorkspaceList::FindPickObject(TWinPick *ws, const QByteArray &name) {
    if (!ws || !ws->alive()) {
        return nullptr;
    }
    const QByteArray lower = name.toLower();
    const qsizetype dot = lower.indexOf('.');
    if (dot < 0) {
        return ws->Container;
    }
    const QByteArray object = lower.mid(dot + 1).trimmed();
    if (object == ws->ContainerName()) {
        return ws->Container;
    }
    return ws->FindObject(object);
}

TWinPick *TWorkspaceList::WorkspaceOf(const QWidget *w) {
    prune();
    for (const auto &ws : m_items) {
        if (ws->Container == w || ws->TagOf(w) != 0) {
            return ws.get();
        }
    }
    return nullptr;
}

bool TWorkspaceList::canHoldControls(const QWidget *w) {
    if (!w) {
        return false;
    }
    const int tag = w->property(kTag).toInt();
    return tag == 1 || tag == 17 || tag == 12 || tag == 23;
}

QWidget *TWorkspaceList::clientFor(QWidget *w) {
    if (auto *s = dynamic_cast<TScrollWorkspace *>(w)) {
        return s->content();
    }
    return w;
}

// ---- creation ------------------------------------------------------------------------------------

QByteArray TWorkspaceList::ExecuteCreate(const TObjectRequest &request) {
    const std::optional<qint64> t = readInteger(request.field(3));
    const int T = t && *t >= INT_MIN && *t <= INT_MAX ? int(*t) : -1;
    const bool newWorkspace = T == 1 || T == 17;
    if (count() == 0 && !newWorkspace) {
        return E011();
    }
    if (request.fieldCount() < 16) {
        return E012TooFew();
    }
    QList<QByteArray> fields;
    for (int i = 0; i <= request.fieldCount(); ++i) {
        fields.append(i == 0 ? QByteArray() : request.field(i));
    }
    TPickControl def;
    def.ObjectType = T;
    if (QByteArray err = PickControl::ParsePickControl(fields, def); !err.isEmpty()) {
        return err;
    }
    TWinPick *ws = FindWorkspace(def.Parent);
    if (!newWorkspace && !ws) {
        if (count() == 1) {
            ws = at(0);
        } else {
            return E013NoWorkspace();
        }
    }
    def.Name = def.field(1);
    if (QByteArray why = PickNames::invalidReason(def.Name); !why.isEmpty()) {
        return E020(def.Name, why);
    }
    if (newWorkspace ? FindWorkspace(def.Name) != nullptr
                     : (ws->FindObject(def.Name) != nullptr || ws->ContainerName() == def.Name)) {
        return E020(def.Name, "A component named " + def.Name + " already exists.");
    }
    QWidget *parentControl = nullptr;
    if (!newWorkspace || ws) {
        parentControl = FindPickObject(ws, def.Parent);
    }
    if (!parentControl && T != 17 && ws) {
        parentControl = ws->Container;
    }
    if (T == 1 && !ws) {
        parentControl = HostContainer;
        if (def.Parent.isEmpty()) {
            def.Parent = "mainform";
        }
    }
    if (T != 17 && parentControl && parentControl != HostContainer && !canHoldControls(parentControl)) {
        return E013Parent("Object " + parentControl->objectName().toLatin1() + " cannot contain controls.");
    }

    if (newWorkspace) {
        auto owned = std::make_unique<TWinPick>(T == 1 ? clientFor(parentControl) : nullptr, T == 17);
        TWinPick *w = owned.get();
        m_items.push_back(std::move(owned));
        w->Container->setObjectName(QString::fromLatin1(def.Name));
        const QByteArray err = ApplyDefinition(w, w->Container, T, def, nullptr);
        if (!err.isEmpty()) {
            // Reported, so that the host is not left waiting for an object that never came.
            m_items.pop_back();
            return E020(def.Name, err);
        }
        if (T == 17) {
            w->Container->hide();
        } else {
            w->Container->show();
            relayout(w->Container->parentWidget());
        }
        w->Sender = HostSender;
        if (request.fieldCount() >= 18) {
            w->Name = request.field(18);
        }
        if (auto *form = dynamic_cast<TFormWorkspace *>(w->Container.data())) {
            QPointer<TFormWorkspace> guard(form);
            form->OnCloseQuery = [this, guard] {
                if (!guard) {
                    return;
                }
                if (TWinPick *owner = WorkspaceOf(guard)) {
                    owner->send(closeQueryEvent(owner->ContainerName(), owner->Name));
                }
            };
        }
        w->send(createdEvent(def.Name, w->Name, T));
        return {};
    }
    if (!CreatePickObject(ws, def, parentControl)) {
        const QByteArray reason = m_lastCreateError;
        m_lastCreateError.clear();
        return E020(def.Name, reason);
    }
    return {};
}

QWidget *TWorkspaceList::CreatePickObject(TWinPick *ws, TPickControl &def, QWidget *parentControl) {
    if (!ws || !parentControl) {
        return nullptr;
    }
    QWidget *parent = clientFor(parentControl);
    QWidget *w = nullptr;
    int tag = def.ObjectType;
    switch (def.ObjectType) {
    case 2:
        w = new TLabeledEdit(parent);
        break;
    case 3:
        w = new TPickLabel(parent);
        break;
    case 4:
        w = new QPlainTextEdit(parent);
        break;
    case 5:
        w = new QTextEdit(parent);
        break;
    case 6:
        w = new QListWidget(parent);
        break;
    case 7:
        w = new QComboBox(parent);
        break;
    case 8:
        w = new TPickImage(parent);
        break;
    case 10:
        w = new QPushButton(parent);
        break;
    case 11: {
        w = new TSplitterBar(parent);
        if (!def.given(10)) {
            AlignLayout::Engine::setAlign(w, Align::Left);
        }
        break;
    }
    case 12:
    case 23:
        w = new TPickPanel(parent);
        break;
    case 13:
        if (def.field(18).toLower().contains('r')) {
            w = new QRadioButton(parent);
        } else {
            w = new QCheckBox(parent);
            tag = 14;
        }
        break;
    case 15:
        w = WebBrowser::create(parent);
        break;
    case 16:
    case 22: {
        // Placeholders until the grid panel and the result-entry control exist.
        auto *f = new TPickPanel(parent);
        f->setFrameShape(QFrame::StyledPanel);
        w = f;
        break;
    }
    case 21:
        w = new TBevel(parent);
        break;
    default:
        return nullptr;
    }
    w->setObjectName(QString::fromLatin1(def.Name));
    w->setProperty(kTag, tag);
    if (!w->property("orvaAlign").isValid()) {
        AlignLayout::Engine::setAlign(w, Align::None);
    }
    w->resize(defaultSize(tag));
    const QByteArray err = ApplyDefinition(ws, w, tag, def, nullptr);
    if (!err.isEmpty()) {
        delete w;
        m_lastCreateError = err;
        return nullptr;
    }
    ws->Register(def.Name, w, tag);
    w->show();
    relayout(w->parentWidget());
    if (tag == 15) {
        static_cast<TWebBrowserView *>(w)->Navigate(def.Value);
    }
    return w;
}

bool TWorkspaceList::DestroyPickObject(TWinPick *ws, const QByteArray &name) {
    if (!ws) {
        return false;
    }
    const QByteArray lower = name.toLower();
    const qsizetype dot = lower.indexOf('.');
    const QByteArray object = (dot < 0 ? lower : lower.mid(dot + 1)).trimmed();
    QWidget *w = ws->FindObject(object);
    if (!w) {
        return false;
    }
    const int tag = ws->TagOf(w);
    QWidget *parent = w->parentWidget();
    ws->Unregister(w);
    w->hide();
    w->setParent(nullptr);
    ws->send(destroyedEvent(object, ws->Name, tag));
    w->deleteLater();
    relayout(parent);
    return true;
}

void TWorkspaceList::Remove(TWinPick *ws) {
    auto it = std::find_if(m_items.begin(), m_items.end(), [ws](const auto &p) { return p.get() == ws; });
    if (it != m_items.end()) {
        // Out of the list first, so that nothing the destructor triggers finds it again.
        std::unique_ptr<TWinPick> doomed = std::move(*it);
        m_items.erase(it);
    }
}

void TWorkspaceList::Reset() {
    std::vector<std::unique_ptr<TWinPick>> doomed;
    doomed.swap(m_items);
    doomed.clear();
}

void TWorkspaceList::ClearSenders() {
    HostSender = nullptr;
    for (const auto &w : m_items) {
        w->Sender = nullptr;
    }
}

// ---- setters -------------------------------------------------------------------------------------

QByteArray TWorkspaceList::ApplyDefinition(TWinPick *ws, QWidget *w, int tag, const TPickControl &def,
                                           QWidget *parentControl) {
    if (QByteArray err = applyCommon(ws, w, tag, def, parentControl); !err.isEmpty()) {
        return err;
    }
    return applyFamily(ws, w, tag, def);
}

QByteArray TWorkspaceList::applyCommon(TWinPick *, QWidget *w, int tag, const TPickControl &def,
                                       QWidget *parentControl) {
    const bool form = tag == 17;
    const QRect area = form ? workArea() : QRect();
    QRect g = form ? QRect(w->pos(), w->size()) : w->geometry();
    auto value = [&](int v, int whole) { return form && v == -1 ? whole : v; };
    if (def.given(4)) {
        g.moveLeft(value(def.Left, area.left()));
    }
    if (def.given(5)) {
        g.moveTop(value(def.Top, area.top()));
    }
    if (def.given(6)) {
        g.setWidth(std::max(0, value(def.Width, area.width())));
    }
    if (def.given(7) && def.Height != 0) {
        g.setHeight(std::max(0, value(def.Height, area.height())));
    }
    if (form) {
        w->move(g.topLeft());
        w->resize(g.size());
    } else {
        w->setGeometry(g);
    }
    if (def.given(8) && hasTabOrder(tag) && !form) {
        w->setProperty(kTabOrder, def.TabOrder);
        applyTabOrder(w->parentWidget());
    }
    if (def.given(10) && !form) {
        AlignLayout::Engine::setAlign(w, def.Align);
    }
    if (def.given(14) && !form && parentControl) {
        QWidget *target = clientFor(parentControl);
        if (target != w && target != w->parentWidget() && !w->isAncestorOf(target)) {
            const bool shown = !w->isHidden();
            w->setParent(target);
            w->setVisible(shown);
        }
    }
    if (def.given(15) && !form) {
        AlignLayout::Engine::setAnchors(w, def.Anchors);
    } else if (!form) {
        AlignLayout::Engine::remember(w);
    }
    if (def.given(16)) {
        w->setProperty(kEvents, def.Events);
    }
    return {};
}

void TWorkspaceList::applyColour(QWidget *w, int tag, const TPickControl &def) {
    if (!def.given(9) || def.Colour == -1) {
        return;
    }
    const std::optional<QColor> c = PickControl::colourFromNumber(def.Colour);
    if (!c) {
        return;
    }
    QPalette p = w->palette();
    switch (tag) {
    case 2:
    case 4:
    case 5:
    case 6:
    case 7:
        p.setColor(QPalette::Base, *c);
        break;
    default:
        p.setColor(QPalette::Window, *c);
        w->setAutoFillBackground(true);
        break;
    }
    if (auto *s = dynamic_cast<TScrollWorkspace *>(w)) {
        s->content()->setPalette(p);
        s->content()->setAutoFillBackground(true);
    }
    w->setPalette(p);
}

QByteArray TWorkspaceList::applyFont(QWidget *w, const TPickControl &def) {
    if (!def.given(12)) {
        return {};
    }
    if (!def.FontSource.isEmpty()) {
        if (QWidget *source = FindPickObject(FindWorkspace(def.FontSource), def.FontSource)) {
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

void TWorkspaceList::loadTextFile(TWinPick *ws, QWidget *w, const QByteArray &name, const QByteArray &value,
                                  bool rich) {
    const QByteArray path = PickControl::substituteEnvironment(value);
    if (!PickControl::looksLikeFilePath(path)) {
        return;
    }
    const HostFiles::Result r = HostFiles::read(path);
    if (r.status == HostFiles::Status::Missing) {
        ws->send(objectError(name, ws->Name, "File " + path + " does not exist."));
        return;
    }
    if (r.status == HostFiles::Status::Refused) {
        ws->send(objectError(name, ws->Name, userText(r.reason).bytes()));
        return;
    }
    if (rich) {
        auto *edit = static_cast<QTextEdit *>(w);
        // A rich edit shows an RTF file formatted; any other file as its text.
        if (orva::richtext::detectFileKind(r.data.left(16)) == orva::richtext::TWpFileKind::Rtf) {
            orva::richtext::TWpDocument doc;
            if (orva::richtext::readRtf(r.data, doc).ok) {
                edit->setDocument(doc.main()->clone(edit));
                return;
            }
        }
        edit->setPlainText(text(r.data));
    } else {
        static_cast<QPlainTextEdit *>(w)->setPlainText(text(r.data));
    }
}

QByteArray TWorkspaceList::applyFamily(TWinPick *ws, QWidget *w, int tag, const TPickControl &def) {
    const bool hint = tag == 1 || tag == 2 || tag == 3 || tag == 8 || tag == 10 || tag == 12 || tag == 13 ||
                      tag == 14 || tag == 17 || tag == 23;
    applyColour(w, tag, def);
    if (tag != 8 && tag != 11 && tag != 21) {
        if (QByteArray err = applyFont(w, def); !err.isEmpty()) {
            return err;
        }
    }
    const QByteArray name = w->objectName().toLatin1();
    switch (tag) {
    case 2: {
        auto *e = static_cast<TLabeledEdit *>(w);
        if (def.given(11)) {
            e->setLabelPosition(def.LabelPosition);
        }
        if (def.given(13)) {
            e->setFrame(def.BorderStyle == 1);
        }
        if (def.given(17)) {
            e->EditLabel()->setText(text(def.Value));
        }
        // For the edit's own fields, "given" means present in the request: an empty field 18
        // still sets an empty text with the default length.
        if (def.present(18)) {
            e->setText(text(def.field(18)));
            e->setMaxLength(def.field(18).isEmpty() ? 40 : int(qMin<qsizetype>(32767, def.field(18).size())));
        }
        bool placement = false;
        if (def.given(19)) {
            if (const std::optional<qint64> m = readInteger(def.field(19))) {
                e->setMaxLength(*m <= 0 ? 32767 : int(qMin<qint64>(*m, 32767)));
            }
            placement = true;
            e->EditLabel()->setWordWrap(false);
            e->setLabelPosition(TLabeledEdit::Left);
        }
        if (def.given(20) && def.field(20).toLower().contains('y')) {
            e->EditLabel()->setWordWrap(true);
        }
        if (def.given(21)) {
            const QByteArray p = def.field(21).toLower();
            if (p.contains("right")) {
                e->setLabelPosition(TLabeledEdit::Right);
            } else if (p.contains("above")) {
                e->setLabelPosition(TLabeledEdit::Above);
            } else if (p.contains("below")) {
                e->setLabelPosition(TLabeledEdit::Below);
            }
        }
        if (def.given(22)) {
            placement = !def.field(22).toLower().contains('n');
            if (placement) {
                e->EditLabel()->setAlignment(Qt::AlignCenter);
                e->EditLabel()->adjustSize();
                const QPoint given(def.given(4) ? def.Left : e->x(), def.given(5) ? def.Top : e->y());
                e->move(PickControl::labelPlacement(given, e->EditLabel()->size(), e->LabelPosition(),
                                                    e->LabelSpacing));
                AlignLayout::Engine::remember(e);
            }
        }
        e->placeLabel();
        break;
    }
    case 3: {
        auto *l = static_cast<TPickLabel *>(w);
        Qt::Alignment a = l->alignment();
        if (def.given(11)) {
            a = (a & Qt::AlignVertical_Mask) | horizontal(def.Alignment);
        }
        if (def.given(13) || def.given(11)) {
            a = (a & Qt::AlignHorizontal_Mask) | vertical(def.Layout);
        }
        l->setAlignment(a);
        if (def.given(17)) {
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
        break;
    }
    case 4:
    case 5: {
        const bool rich = tag == 5;
        auto *area = static_cast<QAbstractScrollArea *>(w);
        if (def.given(11)) {
            if (rich) {
                static_cast<QTextEdit *>(w)->setAlignment(horizontal(def.Alignment));
            }
        }
        if (def.given(17)) {
            loadTextFile(ws, w, name, def.Value, rich);
        }
        if (def.present(18)) {
            const QByteArray s = def.field(18).toLower();
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
        if (def.given(19)) {
            const bool ro = def.field(19).toLower().startsWith('y');
            rich ? static_cast<QTextEdit *>(w)->setReadOnly(ro)
                 : static_cast<QPlainTextEdit *>(w)->setReadOnly(ro);
        }
        if (def.given(20)) {
            const bool wrap = def.field(20).toLower().startsWith('y');
            if (rich) {
                static_cast<QTextEdit *>(w)->setLineWrapMode(wrap ? QTextEdit::WidgetWidth
                                                                  : QTextEdit::NoWrap);
            } else {
                static_cast<QPlainTextEdit *>(w)->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth
                                                                       : QPlainTextEdit::NoWrap);
            }
        }
        if (def.present(21)) {
            QStringList ls;
            for (const QByteArray &line : fieldsFrom(def, 21)) {
                ls.append(lines(line));
            }
            const QString joined = ls.join('\n');
            if (rich) {
                // Until the rich-text reader is here, the stream is shown as it came.
                auto *r = static_cast<QTextEdit *>(w);
                QByteArray flat = fieldsFrom(def, 21).join();
                flat.replace('\xFD', QByteArray());
                if (!flat.trimmed().isEmpty()) {
                    r->clear();
                    r->setPlainText(joined);
                }
            } else {
                auto *m = static_cast<QPlainTextEdit *>(w);
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
        }
        break;
    }
    case 6:
    case 7: {
        auto *list = qobject_cast<QListWidget *>(w);
        auto *combo = qobject_cast<QComboBox *>(w);
        if (combo && def.given(13)) {
            combo->setEditable(def.ComboStyle <= 1);
        }
        if (def.present(18)) {
            QStringList items;
            for (const QByteArray &item : fieldsFrom(def, 18)) {
                items.append(text(item));
            }
            if (def.SubAction == 0) {
                list ? list->clear() : combo->clear();
            }
            if (def.SubAction == 2) {
                list ? list->insertItems(0, items) : combo->insertItems(0, items);
            } else {
                list ? list->addItems(items) : combo->addItems(items);
            }
        }
        // The index is applied after the items are loaded, so that a create can select one.
        if (def.given(17)) {
            if (const std::optional<qint64> i = readInteger(def.Value)) {
                const int n = list ? list->count() : combo->count();
                if (n > 0 && *i >= -1 && *i < n) {
                    list ? list->setCurrentRow(int(*i)) : combo->setCurrentIndex(int(*i));
                }
            }
        }
        break;
    }
    case 8: {
        auto *img = static_cast<TPickImage *>(w);
        if (def.given(9) && def.Colour == -1) {
            img->setStretch(def.ParentColourFlag);
        }
        if (def.given(17)) {
            const QByteArray path = PickControl::substituteEnvironment(def.Value);
            const HostFiles::Result r = HostFiles::read(path);
            if (r.status == HostFiles::Status::Ok) {
                QBuffer buf;
                buf.setData(r.data);
                QImageReader reader(&buf);
                const QSize s = reader.size();
                if (s.isValid() && s.width() <= kMaxImageSide && s.height() <= kMaxImageSide) {
                    const QImage image = reader.read();
                    if (!image.isNull()) {
                        img->setPicture(image);
                    }
                }
            }
        }
        if (def.HasPosition) {
            if (!img->drawText({def.PositionX, def.PositionY}, text(def.PositionText), img->font())) {
                return "Image Update Failed: the picture cannot be drawn on";
            }
        }
        break;
    }
    case 10: {
        if (def.given(17)) {
            static_cast<QPushButton *>(w)->setText(text(def.Value));
        }
        break;
    }
    case 11:
        break;
    case 12:
    case 16:
    case 22:
    case 23: {
        auto *p = static_cast<TPickPanel *>(w);
        if (def.given(13) && tag != 16 && tag != 22) {
            p->setFrameShape(def.BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
        }
        if (def.given(11)) {
            p->setCaptionAlignment(horizontal(def.Alignment));
        }
        if (def.given(17) && tag != 16 && tag != 22) {
            p->setCaption(text(def.Value));
        }
        break;
    }
    case 13:
    case 14: {
        auto *b = static_cast<QAbstractButton *>(w);
        if (def.given(11)) {
            b->setLayoutDirection(def.Alignment == 0 ? Qt::RightToLeft : Qt::LeftToRight);
        }
        if (def.given(17)) {
            b->setText(text(def.Value));
        }
        if (def.present(19)) {
            b->setChecked(def.field(19).toLower().contains('y'));
        }
        break;
    }
    case 15:
        break;
    case 21: {
        // The shape applies with its own field (and, as before, with field 8).
        if (def.given(11) || def.given(8)) {
            static_cast<TBevel *>(w)->setShape(def.BevelShape);
        }
        break;
    }
    case 1: {
        auto *s = static_cast<TScrollWorkspace *>(w);
        if (def.given(13)) {
            s->setFrameShape(def.BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
        }
        s->updateExtent();
        break;
    }
    case 17: {
        auto *f = static_cast<TFormWorkspace *>(w);
        if (def.given(13)) {
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
        if (def.given(17)) {
            f->setWindowTitle(text(def.Value));
        }
        if (def.HasPosition) {
            QFont font = f->font();
            if (!def.FontSource.isEmpty()) {
                if (QWidget *source = FindPickObject(FindWorkspace(def.FontSource), def.FontSource)) {
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
        break;
    }
    default:
        break;
    }
    if (hint && def.given(24)) {
        // Qt takes a hint that looks like markup as rich text; host text is shown as it is.
        const QString hintText = text(def.TextOut);
        w->setToolTip(Qt::mightBeRichText(hintText) ? Qt::convertFromPlainText(hintText) : hintText);
    }
    return {};
}
