// The device controller on the simulated machine: the start-up check, arrival and removal,
// lending and taking back, the sleep-time limits, and removal while a device is being read.
#include "dictation/hid/TUsbHidDeviceController.h"
#include "dictation/hid/tests/HidTestSupport.h"
#include "platform/hid/TUsbHidDeviceReadThread.h"

#include <gtest/gtest.h>

using namespace hidtest;

namespace {

class DeviceControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_controller = std::make_unique<TUsbHidDeviceController>(nullptr, m_bus.NewBackend());
        m_controller->SetOnArrival(
            [this](TUsbHidDevice *device) { m_log << "arrival " + device->DeviceInstance(); });
        m_controller->SetOnRemoval(
            [this](TUsbHidDevice *device) { m_log << "removal " + device->DeviceInstance(); });
        m_controller->SetOnDeviceChange([this](TUsbHidDeviceController *) { ++m_changes; });
        m_log.clear();
        m_changes = 0;
    }
    TUsbHidDevice *byInstance(const QString &instance) const {
        for (int i = 0; i < m_controller->DeviceCount(); ++i)
            if (m_controller->Device(i)->DeviceInstance() == instance)
                return m_controller->Device(i);
        return nullptr;
    }
    void expectCounts(int available, int lent, int unplugged) const {
        EXPECT_EQ(m_controller->AvailableCount(), available);
        EXPECT_EQ(m_controller->LentCount(), lent);
        EXPECT_EQ(m_controller->UnpluggedCount(), unplugged);
    }

    FakeHidBus m_bus;
    std::unique_ptr<TUsbHidDeviceController> m_controller;
    QStringList m_log;
    int m_changes = 0;
};

TEST_F(DeviceControllerTest, StartUpCheckFiresWithNoDevicePresent) {
    EXPECT_EQ(m_controller->Version(), "1.0.34");
    ASSERT_TRUE(waitFor([&] { return m_changes == 1; }));
    EXPECT_EQ(m_controller->DeviceCount(), 0);
    drain();
    EXPECT_EQ(m_changes, 1);
}

TEST_F(DeviceControllerTest, LentDeviceUnpluggedStaysUntilTakenBack) {
    ASSERT_TRUE(waitFor([&] { return m_changes == 1; }));
    m_bus.Plug(pedal("a"));
    m_bus.Plug(keyboard("b"));
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 2; }));
    EXPECT_EQ(m_log, QStringList({"arrival a", "arrival b"}));
    expectCounts(2, 0, 0);

    TUsbHidDevice *lent = nullptr;
    ASSERT_TRUE(m_controller->LendDevice(lent));
    EXPECT_EQ(lent->DeviceInstance(), "a");
    lent->SetOnData([](TUsbHidDevice *, quint8, const QByteArray &) {});
    ASSERT_TRUE(waitFor([&] { return m_bus.OpenHandles("a") == 1; }));
    expectCounts(1, 1, 0);

    m_log.clear();
    m_bus.Unplug("a");
    ASSERT_TRUE(waitFor([&] { return m_log.contains("removal a"); }));
    EXPECT_FALSE(lent->PluggedIn());
    EXPECT_FALSE(lent->ReadThreadRunning());
    EXPECT_EQ(byInstance("a"), lent) << "a lent device stays listed while unplugged";
    expectCounts(1, 0, 1);

    m_controller->TakeBack(lent);
    EXPECT_EQ(lent, nullptr);
    EXPECT_EQ(byInstance("a"), nullptr);
    expectCounts(1, 0, 0);

    m_bus.Unplug("b");
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 0; }));
    expectCounts(0, 0, 0);
}

TEST_F(DeviceControllerTest, UnusableInterfacesAreLeftOut) {
    HidInterfaceInfo noNode = pedal("no-node");
    noNode.DevicePath.clear();
    HidInterfaceInfo unknown = pedal("unknown");
    unknown.Identified = false;
    EXPECT_EQ(TUsbHidDevice::Create(noNode, nullptr), nullptr);
    EXPECT_EQ(TUsbHidDevice::Create(unknown, nullptr), nullptr);

    m_bus.Plug(noNode);
    m_bus.Plug(unknown);
    m_bus.Plug(pedal("good"));
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 1; }));
    EXPECT_EQ(m_controller->Device(0)->DeviceInstance(), "good");
}

struct SleepCase {
    int value;
    int kept;
};

TEST_F(DeviceControllerTest, ThreadSleepTimeOutsideItsLimitsIsRefused) {
    m_bus.Plug(pedal("a"));
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 1; }));
    TUsbHidDevice *device = m_controller->Device(0);
    EXPECT_EQ(device->ThreadSleepTime(), 100);
    const SleepCase cases[] = {{5, 100}, {10, 10}, {10000, 10000}, {10001, 10000}, {-1, 10000}, {100, 100}};
    for (const SleepCase &c : cases) {
        device->SetThreadSleepTime(c.value);
        EXPECT_EQ(device->ThreadSleepTime(), c.kept) << "set " << c.value;
    }
    // The controller's setting reaches devices that still had its value, within their limits.
    m_controller->SetDevThreadSleepTime(5);
    EXPECT_EQ(device->ThreadSleepTime(), 100);
    m_controller->SetDevThreadSleepTime(250);
    EXPECT_EQ(device->ThreadSleepTime(), 100) << "the device no longer had the controller's value";
    device->SetThreadSleepTime(250);
    m_controller->SetDevThreadSleepTime(40);
    EXPECT_EQ(device->ThreadSleepTime(), 40);
}

TEST_F(DeviceControllerTest, UnreadableDeviceIsLentWithoutAReader) {
    HidInterfaceInfo locked = keyboard("locked");
    locked.Readable = false;
    m_bus.Plug(locked);
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 1; }));
    TUsbHidDevice *device = nullptr;
    ASSERT_TRUE(m_controller->LendDevice(device));
    device->SetOnData([](TUsbHidDevice *, quint8, const QByteArray &) {});
    EXPECT_FALSE(device->ReadThreadRunning());
    EXPECT_EQ(m_bus.OpenHandles("locked"), 0);
}

TEST_F(DeviceControllerTest, FailedOpenIsReportedAsADataError) {
    m_bus.Plug(pedal("a"));
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 1; }));
    m_bus.SetOpenError("a", EACCES);
    QList<int> errors;
    TUsbHidDevice *device = nullptr;
    ASSERT_TRUE(m_controller->LendDevice(device));
    device->SetOnDataError([&](TUsbHidDevice *, int error) { errors << error; });
    device->SetOnData([](TUsbHidDevice *, quint8, const QByteArray &) {});
    EXPECT_EQ(errors, QList<int>{EACCES});
    EXPECT_FALSE(device->ReadThreadRunning());
}

TEST_F(DeviceControllerTest, ReportsAndRemovalWhileReading) {
    m_bus.Plug(pedal("a"));
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 1; }));
    struct Report {
        quint8 id;
        QByteArray data;
    };
    QList<Report> reports;
    QList<int> errors;
    TUsbHidDevice *device = nullptr;
    ASSERT_TRUE(m_controller->LendDevice(device));
    device->SetOnDataError([&](TUsbHidDevice *, int error) { errors << error; });
    device->SetOnData([&](TUsbHidDevice *, quint8 id, const QByteArray &data) {
        reports << Report{id, data};
    });
    ASSERT_TRUE(device->ReadThreadRunning());

    // Linux reads an unnumbered device's report without the ID byte.
    m_bus.Send("a", QByteArray::fromHex("05"));
    ASSERT_TRUE(waitFor([&] { return reports.size() == 1; }));
    EXPECT_EQ(reports[0].id, 0);
    EXPECT_EQ(reports[0].data, QByteArray::fromHex("05"));

    // Removed with no word from udev: the reader's "gone" makes the controller look again.
    m_log.clear();
    m_bus.UnplugQuietly("a");
    ASSERT_TRUE(waitFor([&] { return m_log.contains("removal a"); }));
    EXPECT_EQ(errors.size(), 1);
    EXPECT_TRUE(TUsbHidDeviceReadThread::IsDeviceGone(errors.value(0)));
    EXPECT_FALSE(device->PluggedIn());
    m_controller->TakeBack(device);
    EXPECT_EQ(m_controller->DeviceCount(), 0);
}

TEST_F(DeviceControllerTest, ChangeArrivingDuringAChangeIsNotLost) {
    ASSERT_TRUE(waitFor([&] { return m_changes == 1; }));
    bool plugged = false;
    m_controller->SetOnDeviceChange([&](TUsbHidDeviceController *controller) {
        ++m_changes;
        if (plugged)
            return;
        plugged = true;
        // As if the handler ran the event loop and a device arrived meanwhile.
        m_bus.Plug(keyboard("late"));
        controller->DeviceChange();
    });
    m_changes = 0;
    m_bus.Plug(pedal("first"));
    m_controller->DeviceChange();
    EXPECT_EQ(m_controller->DeviceCount(), 2);
    EXPECT_EQ(m_changes, 2);
}

TEST_F(DeviceControllerTest, ControllerEventsReachDevicesThatStillHadThem) {
    m_bus.Plug(pedal("a"));
    m_bus.Plug(pedal("b"));
    ASSERT_TRUE(waitFor([&] { return m_controller->DeviceCount() == 2; }));
    QStringList seen;
    TUsbHidDevice *a = nullptr;
    TUsbHidDevice *b = nullptr;
    ASSERT_TRUE(m_controller->LendDevice(a));
    ASSERT_TRUE(m_controller->LendDevice(b));
    b->SetOnData([&](TUsbHidDevice *device, quint8, const QByteArray &) {
        seen << "own " + device->DeviceInstance();
    });
    m_controller->SetOnDeviceData([&](TUsbHidDevice *device, quint8, const QByteArray &) {
        seen << "controller " + device->DeviceInstance();
    });
    ASSERT_TRUE(a->ReadThreadRunning()) << "setting the controller's data event starts lent devices' readers";

    m_bus.Send("a", QByteArray::fromHex("01"));
    ASSERT_TRUE(waitFor([&] { return seen.size() == 1; }));
    m_bus.Send("b", QByteArray::fromHex("01"));
    ASSERT_TRUE(waitFor([&] { return seen.size() == 2; }));
    EXPECT_EQ(seen, QStringList({"controller a", "own b"}));

    m_controller->SetOnDeviceData(nullptr);
    EXPECT_FALSE(a->ReadThreadRunning());
    EXPECT_TRUE(b->ReadThreadRunning());
}

} // namespace
