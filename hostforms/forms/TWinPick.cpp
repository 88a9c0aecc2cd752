// A workspace: its container, the registry of its controls and its sender.
#include "hostforms/forms/TWinPick.h"

#include "hostforms/forms/PickProperties.h"
#include "hostforms/forms/TFormWorkspace.h"
#include "hostforms/forms/TScrollWorkspace.h"
#include "hostforms/forms/TWorkspaceList.h"

using namespace HostProtocol;

TWinPick::TWinPick(QWidget *owner, bool isForm)
    : Tag(isForm ? PickType::FormWorkspace : PickType::ScrollWorkspace) {
    if (isForm) {
        Container = new TFormWorkspace(nullptr);
    } else {
        Container = new TScrollWorkspace(owner);
    }
    PickProperties::setTag(Container, Tag);
}

TWinPick::~TWinPick() {
    // Scroll boxes and forms alike report their own end once; their controls go with them unreported.
    if (Container) {
        send(destroyedEvent(ContainerName(), Name, typeNumber(Tag)));
    }
    if (auto *form = qobject_cast<TFormWorkspace *>(Container.data())) {
        form->OnCloseQuery = nullptr; // the list it reported to may be gone before the form
    }
    if (Container) {
        // Off its parent and out of sight at once; freed once control is back in the event loop,
        // so that a handler of one of its controls still on the stack is not pulled from under it.
        Container->hide();
        Container->setParent(nullptr);
        Container->deleteLater();
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

PickType TWinPick::TagOf(const QWidget *w) {
    if (w && w == Container) {
        return Tag;
    }
    prune();
    for (const PickEntry &e : m_objects) {
        if (e.Widget == w) {
            return e.Tag;
        }
    }
    return PickType::None;
}

void TWinPick::Register(const QByteArray &name, QWidget *w, PickType tag) {
    m_objects.append(PickEntry{name, w, tag});
}

void TWinPick::Unregister(const QWidget *w) {
    m_objects.removeIf([w](const PickEntry &e) { return e.Widget == w || e.Widget.isNull(); });
}

void TWinPick::Rename(const QWidget *w, const QByteArray &name) {
    for (PickEntry &e : m_objects) {
        if (e.Widget == w) {
            e.Name = name;
        }
    }
}

void TWinPick::send(const QByteArray &message) const {
    if (Sender) {
        Sender(message);
    }
}
