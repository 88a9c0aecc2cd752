// The properties a host control carries besides its name: its Tag (the object type), the stored
// event words of field 16 and its tab order among its siblings.
#pragma once

#include "hostforms/protocol/HostProtocol.h"

#include <QObject>
#include <QVariant>

namespace PickProperties {

constexpr const char *kTag = "orvaTag";
constexpr const char *kEvents = "orvaEvents";
constexpr const char *kTabOrder = "orvaTabOrder";

inline HostProtocol::PickType tagOf(const QObject *o) {
    return o ? HostProtocol::PickType(o->property(kTag).toInt()) : HostProtocol::PickType::None;
}
inline void setTag(QObject *o, HostProtocol::PickType t) {
    o->setProperty(kTag, HostProtocol::typeNumber(t));
}

} // namespace PickProperties
