// The host link's interface; its one out-of-line member anchors the class's tables here.
#include "platform/hostlink/HostLink.h"

HostLink::~HostLink() = default;
