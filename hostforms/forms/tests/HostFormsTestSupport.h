// Shared pieces of the host-forms tests: the fake link and a request builder.
#pragma once

#include "common/testing/FakeHostLink.h"
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/protocol/HostProtocol.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <map>
#include <memory>

// A request from numbered fields; fields not named are empty, `count` fields in all.
inline QByteArray request(const std::map<int, QByteArray> &fields, int count = 0) {
    int last = count;
    for (const auto &[i, v] : fields) {
        last = std::max(last, i);
    }
    QByteArray out;
    for (int i = 1; i <= last; ++i) {
        if (i > 1) {
            out += '\x03';
        }
        auto it = fields.find(i);
        if (it != fields.end()) {
            out += it->second;
        }
    }
    // A trailing separator keeps an empty last field in the count.
    if (last > 1 && !fields.count(last)) {
        out += '\x03';
    } else if (last > 1 && fields.at(last).isEmpty()) {
        out += '\x03';
    }
    return out;
}

inline void flushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A container on a fake link with one scroll-box workspace "ws" (event name "wsev"); what the
// workspace's creation sent is forgotten.
struct Forms {
    FakeHostLink link;
    std::unique_ptr<TWinpickFrm> frm = std::make_unique<TWinpickFrm>();
    Forms(bool workspace = true) {
        frm->setLink(&link);
        if (workspace) {
            frm->ExecuteRequest(
                request({{1, "ws"}, {2, "1"}, {3, "1"}, {6, "600"}, {7, "400"}, {18, "wsev"}}));
            link.sends.clear();
        }
    }
    ~Forms() {
        frm.reset();
        flushDeletes();
    }
    QByteArray run(const QByteArray &text) { return frm->ExecuteRequest(text); }
    QWidget *find(const QByteArray &name) {
        TWorkspaceList &l = frm->WorkspaceList();
        return l.FindPickObject(l.FindWorkspace(name), name);
    }
};

// A create request for `type` named `name` in workspace "ws", with the given fields.
inline QByteArray create(const QByteArray &name, int type, std::map<int, QByteArray> fields, int count = 16) {
    fields[1] = name;
    fields[2] = "1";
    fields[3] = QByteArray::number(type);
    if (!fields.count(14)) {
        fields[14] = "ws";
    }
    return request(fields, count);
}

template <class T> T *as(QWidget *w) {
    return qobject_cast<T *>(w);
}

// A request of `type` (e.g. "6" or "5.4") on `name`, with the given fields.
inline QByteArray on(const QByteArray &name, const QByteArray &type, std::map<int, QByteArray> fields = {},
                     int count = 0) {
    fields[1] = name;
    fields[2] = type;
    return request(fields, count);
}
