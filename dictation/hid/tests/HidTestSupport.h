// Shared by the device tests: bounded waits, the pedal, microphone and keyboard on the simulated machine,
// and a recorder for Qt signals.
#pragma once

#include "dictation/hid/TUsbHidDevice.h"
#include "platform/hid/tests/FakeHidBus.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringList>
#include <QTest>

namespace hidtest {

constexpr int kBoundMs = 10000;

template <typename Condition> bool waitFor(Condition condition) {
    return QTest::qWaitFor(condition, kBoundMs);
}

// Lets every report and check already posted run.
inline void drain() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

inline HidInterfaceInfo pedal(const QString &instance, const QString &product = "VEC USB Footpedal") {
    // The pedal's report is one unnumbered byte.
    return FakeHidBus::UsbDevice(instance, 0x7F02, 0x0001, 0x0100, product, 1);
}

inline HidInterfaceInfo mic(const QString &instance, quint16 product = 0x149A, quint16 version = 0x0114,
                            int dataBytes = 9) {
    return FakeHidBus::UsbDevice(instance, 0x0911, product, version, "Dictation Microphone", dataBytes);
}

inline HidInterfaceInfo keyboard(const QString &instance) {
    return FakeHidBus::UsbDevice(instance, 0x7F01, 0x0002, 0x0100, "Test Keyboard", 8);
}

// A free-standing device of the controller's kind, for feeding DeviceData directly.
inline std::unique_ptr<TUsbHidDevice> standalone(const HidInterfaceInfo &info) {
    return TUsbHidDevice::Create(info, nullptr);
}

} // namespace hidtest
