// What pedal and microphone events make the dictation window do, and only while it allows it.
#include "dictation/hid/TDictationDevices.h"
#include "dictation/hid/tests/HidTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace hidtest;

namespace {

class RecordingActions : public TDictationDeviceActions {
public:
    bool DeviceActionsAllowed() const override { return allowed; }
    void ActionQuit() override { calls << "Quit"; }
    void ActionLoad() override { calls << "Load"; }
    void ActionTransmit() override { calls << "Transmit"; }
    void ActionRecord() override { calls << "Record"; }
    void ActionPlayPause() override {
        calls << "PlayPause";
        if (failPlayPause)
            throw std::runtime_error("no audio file is open");
    }
    void ActionForward() override { calls << "Forward"; }
    void ActionRewind() override { calls << "Rewind"; }
    void ActionStop() override { calls << "Stop"; }
    void PlayBtn2Click(QObject *sender) override {
        calls << "PlayBtn2Click";
        playSender = sender;
    }
    void PlaybackPause() override { calls << "Pause"; }
    void DeviceActionFailed(const QString &message) override { failures << message; }

    bool allowed = true;
    bool failPlayPause = false;
    QStringList calls;
    QStringList failures;
    QObject *playSender = nullptr;
};

class DictationDevicesTest : public ::testing::Test {
protected:
    DictationDevicesTest() : m_devices(m_actions, nullptr, [this] { return m_bus.NewBackend(); }) {}

    void mic(int word) { m_devices.OnDictationMicButton(word); }
    void pedal(const char *hex) {
        m_devices.FootPedal()->DeviceData(m_pedalDevice.get(), 0, QByteArray::fromHex(hex));
    }

    FakeHidBus m_bus;
    RecordingActions m_actions;
    TDictationDevices m_devices;
    std::unique_ptr<TUsbHidDevice> m_pedalDevice = standalone(hidtest::pedal("p"));
};

TEST_F(DictationDevicesTest, MicrophoneButtons) {
    const struct {
        int word;
        const char *action;
    } cases[] = {{2, "Quit"},         {4, "Load"},       {8, "Transmit"},  {256, "Record"},
                 {1024, "PlayPause"}, {2048, "Forward"}, {4096, "Rewind"}, {8192, "Stop"},
                 {16384, "Stop"},     {0, nullptr},      {1, nullptr},     {3, nullptr},
                 {128, nullptr},      {129, nullptr},    {1026, nullptr},  {32768, nullptr}};
    for (const auto &c : cases) {
        m_actions.calls.clear();
        mic(c.word);
        EXPECT_EQ(m_actions.calls, c.action ? QStringList{c.action} : QStringList{}) << c.word;
    }
}

TEST_F(DictationDevicesTest, FootPedal) {
    EXPECT_EQ(m_devices.FootPedal()->Pedal0RepeatInterval(), 500);
    EXPECT_EQ(m_devices.FootPedal()->Pedal2RepeatInterval(), 500);

    pedal("02");
    pedal("00");
    EXPECT_EQ(m_actions.calls, QStringList({"PlayBtn2Click", "Pause"}));
    EXPECT_EQ(m_actions.playSender, m_devices.FootPedal());

    m_actions.calls.clear();
    m_devices.FootPedal()->SetPedal0RepeatInterval(20);
    m_devices.FootPedal()->SetPedal2RepeatInterval(20);
    pedal("01");
    ASSERT_TRUE(waitFor([&] { return m_actions.calls.size() == 2; }));
    pedal("04");
    ASSERT_TRUE(waitFor([&] { return m_actions.calls.count("Rewind") == 2; }));
    pedal("00");
    EXPECT_EQ(m_actions.calls.count("Forward") + m_actions.calls.count("Rewind"), m_actions.calls.size())
        << "presses and releases of pedals 0 and 2 do nothing of their own";
}

TEST_F(DictationDevicesTest, InertWhileTheWindowDoesNotAllowIt) {
    m_actions.allowed = false;
    for (const int word : {2, 4, 8, 256, 1024, 2048, 4096, 8192})
        mic(word);
    m_devices.FootPedal()->SetPedal0RepeatInterval(10);
    pedal("03");
    ASSERT_TRUE(waitFor([&] { return m_devices.FootPedal()->IsRepeating(0); }));
    drain();
    pedal("00");
    m_devices.DictationMic()->DeviceData(standalone(hidtest::mic("m")).get(), 0,
                                         QByteArray::fromHex("000000000000008000"));
    EXPECT_TRUE(m_actions.calls.isEmpty()) << m_actions.calls.join(' ').toStdString();
    EXPECT_FALSE(m_devices.DictationMic()->Capturing());
}

TEST_F(DictationDevicesTest, FailingActionIsReportedNotThrown) {
    m_actions.failPlayPause = true;
    mic(1024);
    EXPECT_EQ(m_actions.failures, QStringList{"no audio file is open"});
    mic(2048);
    EXPECT_EQ(m_actions.calls, QStringList({"PlayPause", "Forward"}));
}

TEST_F(DictationDevicesTest, DevicesOnTheMachineDriveTheWindow) {
    m_bus.Plug(hidtest::pedal("pedal"));
    m_bus.Plug(hidtest::mic("mic", 0x14A4, 0x0217));
    ASSERT_TRUE(waitFor([&] { return m_bus.OpenHandles("pedal") == 1 && m_bus.OpenHandles("mic") == 1; }));
    m_bus.Send("pedal", QByteArray::fromHex("02"));
    ASSERT_TRUE(waitFor([&] { return m_actions.calls.size() == 1; }));
    m_bus.Send("mic", QByteArray::fromHex("000000000000000001"));
    ASSERT_TRUE(waitFor([&] { return m_actions.calls.size() == 2; }));
    EXPECT_EQ(m_actions.calls, QStringList({"PlayBtn2Click", "Record"}));
}

} // namespace
