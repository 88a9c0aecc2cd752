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
