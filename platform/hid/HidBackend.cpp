// The backend interface's home and the HID log category (warnings shown, debug off by default).
#include "platform/hid/HidBackend.h"

#include "platform/hid/UdevHidBackend.h"

Q_LOGGING_CATEGORY(orvaHid, "orva.hid", QtWarningMsg)

HidBackend::~HidBackend() = default;

std::unique_ptr<HidBackend> CreateSystemHidBackend() {
    return std::make_unique<UdevHidBackend>();
}
