// The workspace list: look-ups, creation of workspaces and controls, destruction.
#include "hostforms/forms/TWorkspaceList.h"

#include "common/objectrequest/TObjectRequest.h"
#include "hostforms/forms/AlignLayout.h"
#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TBevel.h"
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TLabeledEdit.h"
#include "hostforms/forms/TPickEvents.h"
#include "hostforms/forms/TPickImage.h"
#include "hostforms/forms/TPickLabel.h"
#include "hostforms/forms/TPickPanel.h"
#include "hostforms/forms/TScrollWorkspace.h"
#include "hostforms/forms/TSplitterBar.h"
#include "hostforms/forms/TgdGridPanel.h"
#include "hostforms/forms/TkalvexResult.h"
#include "hostforms/forms/WebBrowser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTextEdit>
#include <algorithm>

using namespace HostProtocol;

namespace {

QSize defaultSize(PickType tag) {
    switch (tag) {
    case PickType::ScrollWorkspace:
        return {185, 41};
    case PickType::LabeledEdit:
        return {121, 21};
    case PickType::Label:
        return {32, 13};
    case PickType::Memo:
    case PickType::RichEdit:
        return {185, 89};
    case PickType::ListBox:
        return {121, 97};
    case PickType::ComboBox:
        return {145, 21};
    case PickType::Image:
        return {105, 105};
    case PickType::Button:
        return {75, 25};
    case PickType::Splitter:
        return {3, 100};
    case PickType::Panel:
    case PickType::PrintPanel:
        return {185, 41};
    case PickType::RadioButton:
    case PickType::CheckBox:
        return {97, 17};
    case PickType::FormWorkspace:
        return {300, 200};
    case PickType::Bevel:
        return {50, 50};
    default:
        return {200, 150};
    }
}

} // namespace

void TWorkspaceList::relayout(QWidget *parent) {
    if (!parent) {
        return;
    }
    AlignLayout::Engine::of(parent)->relayout();
    for (QWidget *p = parent; p; p = p->parentWidget()) {
        if (auto *s = qobject_cast<TScrollWorkspace *>(p)) {
            s->updateExtent();
            break;
        }
    }
}

TWorkspaceList::TWorkspaceList() : m_self(std::make_shared<TWorkspaceList *>(this)), m_setters(*this) {}

TWorkspaceList::~TWorkspaceList() {
    *m_self = nullptr;
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
        if (w->ContainerName().toLower() == ws) {
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
    if (object == ws->ContainerName().toLower()) {
        return ws->Container;
    }
    return ws->FindObject(object);
}

TWinPick *TWorkspaceList::WorkspaceOf(const QWidget *w) {
    prune();
    for (const auto &ws : m_items) {
        if (ws->Container == w || ws->TagOf(w) != PickType::None) {
            return ws.get();
        }
    }
    return nullptr;
}

bool TWorkspaceList::canHoldControls(const QWidget *w) {
    if (!w) {
        return false;
    }
    switch (PickProperties::tagOf(w)) {
    case PickType::ScrollWorkspace:
    case PickType::FormWorkspace:
    case PickType::Panel:
    case PickType::PrintPanel:
        return true;
    default:
        return false;
    }
}

QWidget *TWorkspaceList::clientFor(QWidget *w) {
    if (auto *s = qobject_cast<TScrollWorkspace *>(w)) {
        return s->content();
    }
    return w;
}

QByteArray TWorkspaceList::ExecuteCreate(const TObjectRequest &request) {
    const std::optional<qint64> number = readInteger(request.field(Field::ObjectType));
    const PickType T = number ? pickTypeOf(*number) : PickType::Unknown;
    const bool newWorkspace = isWorkspace(T);
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
    def.Name = def.field(Field::Name);
    if (QByteArray why = PickNames::invalidReason(def.Name); !why.isEmpty()) {
        return E020(def.Name, why);
    }
    if (newWorkspace ? FindWorkspace(def.Name) != nullptr
                     : (ws->FindObject(def.Name) != nullptr || ws->ContainerName().toLower() == def.Name)) {
        return E020(def.Name, "A component named " + def.Name + " already exists.");
    }
    QWidget *parentControl = nullptr;
    if (!newWorkspace || ws) {
        parentControl = FindPickObject(ws, def.Parent);
    }
    if (!parentControl && T != PickType::FormWorkspace && ws) {
        parentControl = ws->Container;
    }
    if (T == PickType::ScrollWorkspace && !ws) {
        parentControl = HostContainer;
        if (def.Parent.isEmpty()) {
            def.Parent = "mainform";
        }
    }
    if (T != PickType::FormWorkspace && parentControl && parentControl != HostContainer &&
        !canHoldControls(parentControl)) {
        return E013Parent("Object " + parentControl->objectName().toLatin1() + " cannot contain controls.");
    }

    if (newWorkspace) {
        auto owned =
            std::make_unique<TWinPick>(T == PickType::ScrollWorkspace ? clientFor(parentControl) : nullptr,
                                       T == PickType::FormWorkspace);
        TWinPick *w = owned.get();
        m_items.push_back(std::move(owned));
        w->Container->setObjectName(QString::fromLatin1(def.Name));
        TPickEvents::attach(m_self, w->Container, T);
        const QByteArray err = ApplyDefinition(w, w->Container, T, def, nullptr);
        if (!err.isEmpty()) {
            // Reported, so that the host is not left waiting for an object that never came.
            m_items.pop_back();
            return E020(def.Name, err);
        }
        if (T == PickType::FormWorkspace) {
            w->Container->hide();
        } else {
            w->Container->show();
            relayout(w->Container->parentWidget());
        }
        w->Sender = HostSender;
        if (request.fieldCount() >= Field::WorkspaceEventName) {
            w->Name = request.field(Field::WorkspaceEventName);
        }
        if (auto *form = qobject_cast<TFormWorkspace *>(w->Container.data())) {
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
        InstallHooks(w->Container, T);
        w->send(createdEvent(def.Name, w->Name, typeNumber(T)));
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
    PickType tag = def.ObjectType;
    switch (def.ObjectType) {
    case PickType::LabeledEdit:
        w = new TLabeledEdit(parent);
        break;
    case PickType::Label:
        w = new TPickLabel(parent);
        break;
    case PickType::Memo:
        w = new QPlainTextEdit(parent);
        break;
    case PickType::RichEdit:
        w = new QTextEdit(parent);
        break;
    case PickType::ListBox:
        w = new QListWidget(parent);
        break;
    case PickType::ComboBox: {
        // A new combo box is a drop-down with an edit, until the host gives another style.
        auto *combo = new QComboBox(parent);
        combo->setEditable(true);
        w = combo;
        break;
    }
    case PickType::Image:
        w = new TPickImage(parent);
        break;
    case PickType::Button:
        w = new QPushButton(parent);
        break;
    case PickType::Splitter:
        w = new TSplitterBar(parent);
        if (!def.given(Field::Align)) {
            AlignLayout::Engine::setAlign(w, Align::Left);
        }
        break;
    case PickType::Panel:
    case PickType::PrintPanel:
        w = new TPickPanel(parent);
        break;
    case PickType::RadioButton:
        if (def.field(Field::Check::Kind).toLower().contains('r')) {
            w = new QRadioButton(parent);
        } else {
            w = new QCheckBox(parent);
            tag = PickType::CheckBox;
        }
        break;
    case PickType::WebBrowser:
        w = WebBrowser::create(parent);
        break;
    case PickType::GridPanel: {
        auto *grid = new TgdGridPanel(parent);
        PickProperties::setTag(grid->StringGrid(), tag);
        w = grid;
        break;
    }
    case PickType::ResultEntry: {
        auto *result = new TkalvexResult(parent);
        PickProperties::setTag(result->KxResult(), tag);
        w = result;
        break;
    }
    case PickType::Bevel:
        w = new TBevel(parent);
        break;
    default:
        return nullptr;
    }
    w->setObjectName(QString::fromLatin1(def.Name));
    PickProperties::setTag(w, tag);
    if (!w->property("orvaAlign").isValid()) {
        AlignLayout::Engine::setAlign(w, Align::None);
    }
    w->resize(defaultSize(tag));
    TPickEvents::attach(m_self, w, tag);
    // Registered before its setter runs, so that what the setter reports (a grid's end of update)
    // finds its workspace.
    ws->Register(def.Name, w, tag);
    const QByteArray err = ApplyDefinition(ws, w, tag, def, nullptr);
    if (!err.isEmpty()) {
        ws->Unregister(w);
        delete w;
        m_lastCreateError = err;
        return nullptr;
    }
    InstallHooks(w, tag);
    w->show();
    relayout(w->parentWidget());
    if (auto *browser = qobject_cast<TWebBrowserView *>(w)) {
        browser->Navigate(def.Value);
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
    const PickType tag = ws->TagOf(w);
    QWidget *parent = w->parentWidget();
    // The controls placed on it go with it: none of them reports anything any more.
    for (const PickEntry &e : QList<PickEntry>(ws->Objects())) {
        if (e.Widget && w->isAncestorOf(e.Widget)) {
            ws->Unregister(e.Widget);
        }
    }
    ws->Unregister(w);
    w->hide();
    w->setParent(nullptr);
    ws->send(destroyedEvent(object, ws->Name, typeNumber(tag)));
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

QByteArray TWorkspaceList::ApplyDefinition(TWinPick *ws, QWidget *w, PickType tag, const TPickControl &def,
                                           QWidget *parentControl) {
    // The control's own change signals fire while host data is applied; the host is not told.
    const TPickEvents::Quiet quiet;
    return m_setters.Apply(ws, w, tag, def, parentControl);
}

void TWorkspaceList::InstallHooks(QWidget *w, PickType tag) {
    if (w) {
        TPickEvents::attach(m_self, w, tag)->install();
    }
}
