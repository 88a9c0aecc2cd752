// The system backend against this machine's udev: whatever HID interfaces are present (often
// none) are listed with their sysfs names, and a missing node cannot be opened.
#include "platform/hid/UdevHidBackend.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>

TEST(UdevHidBackendTest, ListsEveryHidrawInterfaceOfThisMachine) {
    UdevHidBackend backend;
    const QList<HidInterfaceInfo> found = backend.EnumerateInterfaces();
    const QStringList present = QDir("/sys/class/hidraw").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    EXPECT_EQ(found.size(), present.size());
    for (const HidInterfaceInfo &device : found) {
        EXPECT_TRUE(device.DeviceInstance.startsWith("/sys/")) << device.DeviceInstance.toStdString();
        EXPECT_TRUE(device.DevicePath.isEmpty() || device.DevicePath.startsWith("/dev/"));
        EXPECT_TRUE(present.contains(device.DeviceInstance.section('/', -1)));
    }
}

TEST(UdevHidBackendTest, InterfaceWithoutNodeCannotBeOpened) {
    UdevHidBackend backend;
    EXPECT_EQ(backend.OpenForReading(HidInterfaceInfo{}), -ENODEV);
    HidInterfaceInfo missing;
    missing.DevicePath = "/dev/hidraw-that-does-not-exist";
    EXPECT_EQ(backend.OpenForReading(missing), -ENOENT);
}
