// The foot pedal: press, release and repeat from the pedal byte, its match by product string,
// and the pedal on the simulated machine (Linux reads, two pedals, unplugging while held).
#include "dictation/hid/TUsbFootPedal.h"
#include "dictation/hid/tests/HidTestSupport.h"

#include <gtest/gtest.h>

using namespace hidtest;

namespace {

// Every pedal event by name, in order.
class PedalEvents : public QObject {
public:
    explicit PedalEvents(TUsbFootPedal &pedal) {
        const auto record = [this](const char *name) { return [this, name] { log << name; }; };
        connect(&pedal, &TUsbFootPedal::OnPedal0Press, this, record("Press0"));
        connect(&pedal, &TUsbFootPedal::OnPedal0Release, this, record("Release0"));
        connect(&pedal, &TUsbFootPedal::OnPedal0Repeat, this, record("Repeat0"));
        connect(&pedal, &TUsbFootPedal::OnPedal1Press, this, record("Press1"));
        connect(&pedal, &TUsbFootPedal::OnPedal1Release, this, record("Release1"));
        connect(&pedal, &TUsbFootPedal::OnPedal2Press, this, record("Press2"));
        connect(&pedal, &TUsbFootPedal::OnPedal2Release, this, record("Release2"));
        connect(&pedal, &TUsbFootPedal::OnPedal2Repeat, this, record("Repeat2"));
    }
    QStringList log;
};

class FootPedalTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_pedal = std::make_unique<TUsbFootPedal>(nullptr, m_bus.NewBackend());
        m_events = std::make_unique<PedalEvents>(*m_pedal);
    }
    QStringList &log() { return m_events->log; }

    FakeHidBus m_bus;
    std::unique_ptr<TUsbFootPedal> m_pedal;
    std::unique_ptr<PedalEvents> m_events;
};

struct PedalCase {
    const char *name;
    QList<const char *> reports; // data bytes after the report ID, in hex
    QStringList expected;
    bool repeating0;
    bool repeating2;
};

const PedalCase kPedalCases[] = {
    {"pedals 0 and 2 down", {"00", "05"}, {"Press0", "Press2"}, true, true},
    {"and up again", {"00", "05", "00"}, {"Press0", "Press2", "Release0", "Release2"}, false, false},
    {"pedal 1 plays and pauses", {"02", "00"}, {"Press1", "Release1"}, false, false},
    {"bit 3 is not a pedal", {"08"}, {}, false, false},
    {"upper bits are ignored",
     {"ff", "f8"},
     {"Press0", "Press1", "Press2", "Release0", "Release1", "Release2"},
     false,
     false},
    {"only changes count", {"01", "01", "03"}, {"Press0", "Press1"}, true, false},
    {"a report without data is ignored", {"01", ""}, {"Press0"}, true, false},
    {"later data bytes are ignored", {"0004", "0104"}, {"Press0"}, true, false},
};

TEST_F(FootPedalTest, PedalByteTransitions) {
    for (const PedalCase &c : kPedalCases) {
        TUsbFootPedal pedal(nullptr, m_bus.NewBackend());
        PedalEvents recorded(pedal);
        const auto device = standalone(hidtest::pedal("p"));
        for (const char *hex : c.reports)
            pedal.DeviceData(device.get(), 0, QByteArray::fromHex(hex));
        EXPECT_EQ(recorded.log, c.expected) << c.name;
        EXPECT_EQ(pedal.IsRepeating(0), c.repeating0) << c.name;
        EXPECT_EQ(pedal.IsRepeating(2), c.repeating2) << c.name;
    }
}

TEST_F(FootPedalTest, HeldPedalRepeatsUntilReleasedAndATapDoesNot) {
    const auto device = standalone(pedal("p"));
    m_pedal->SetPedal0RepeatInterval(500);
    m_pedal->DeviceData(device.get(), 0, QByteArray::fromHex("01"));
    m_pedal->DeviceData(device.get(), 0, QByteArray::fromHex("00"));
    drain();
    EXPECT_EQ(log(), QStringList({"Press0", "Release0"})) << "a tap shorter than the interval";

    log().clear();
    m_pedal->SetPedal2RepeatInterval(30);
    m_pedal->DeviceData(device.get(), 0, QByteArray::fromHex("04"));
    ASSERT_TRUE(waitFor([&] { return log().count("Repeat2") == 2; }));
    m_pedal->DeviceData(device.get(), 0, QByteArray::fromHex("00"));
    EXPECT_FALSE(m_pedal->IsRepeating(2));
    EXPECT_EQ(log(), QStringList({"Press2", "Repeat2", "Repeat2", "Release2"}));
}

TEST_F(FootPedalTest, TwoPedalsHoldingOnePedalCountOnce) {
    const auto a = standalone(pedal("a"));
    const auto b = standalone(pedal("b"));
    m_pedal->DeviceData(a.get(), 0, QByteArray::fromHex("01"));
    m_pedal->DeviceData(b.get(), 0, QByteArray::fromHex("01"));
    m_pedal->DeviceData(a.get(), 0, QByteArray::fromHex("00"));
    EXPECT_EQ(log(), QStringList({"Press0"})) << "pedal b still holds it";
    EXPECT_TRUE(m_pedal->IsRepeating(0));
    m_pedal->DeviceData(b.get(), 0, QByteArray::fromHex("00"));
    EXPECT_EQ(log(), QStringList({"Press0", "Release0"}));
}

TEST_F(FootPedalTest, MatchesTheProductStringWithoutRegardToCase) {
    const struct {
        const char *product;
        bool matches;
    } cases[] = {{"VEC USB Footpedal", true},   {"vec usb footpedal", true},   {"VEC USB FOOTPEDAL", true},
                 {"VEC USB Footpedal ", false}, {"VEC USB Foot pedal", false}, {"", false}};
    for (const auto &c : cases)
        EXPECT_EQ(TUsbFootPedal::MatchesProduct(c.product), c.matches) << c.product;
}

TEST_F(FootPedalTest, ReadsOnlyPedalsAndReleasesWhatAnUnpluggedPedalHeld) {
    m_bus.Plug(pedal("pedal", "vec usb footpedal"));
    m_bus.Plug(keyboard("keyboard"));
    ASSERT_TRUE(waitFor([&] { return m_pedal->MatchedCount() == 1 && m_bus.OpenHandles("pedal") == 1; }));
    EXPECT_EQ(m_pedal->Devices().size(), 2) << "every device is held";
    EXPECT_EQ(m_bus.OpenHandles("keyboard"), 0) << "only matching devices are opened";

    m_bus.Send("pedal", QByteArray::fromHex("05")); // Linux: no report-ID byte
    ASSERT_TRUE(waitFor([&] { return log().size() == 2; }));
    EXPECT_EQ(log(), QStringList({"Press0", "Press2"}));

    m_bus.Unplug("pedal");
    ASSERT_TRUE(waitFor([&] { return log().contains("Release2"); }));
    log().removeAll("Repeat0");
    log().removeAll("Repeat2");
    EXPECT_EQ(log(), QStringList({"Press0", "Press2", "Release0", "Release2"}));
    EXPECT_FALSE(m_pedal->IsRepeating(0));
    EXPECT_FALSE(m_pedal->IsRepeating(2));
    EXPECT_EQ(m_pedal->MatchedCount(), 0);

    // Plugged in again, it works without a restart.
    m_bus.Plug(pedal("pedal"));
    ASSERT_TRUE(waitFor([&] { return m_bus.OpenHandles("pedal") == 1; }));
    log().clear();
    m_bus.Send("pedal", QByteArray::fromHex("02"));
    ASSERT_TRUE(waitFor([&] { return log().size() == 1; }));
    EXPECT_EQ(log().last(), "Press1");
}

TEST_F(FootPedalTest, UnreadablePedalIsReportedOnce) {
    QStringList denied;
    QObject::connect(m_pedal.get(), &THidDevice::DeviceAccessDenied,
                     [&](const QString &path) { denied << path; });
    HidInterfaceInfo locked = pedal("locked");
    locked.Readable = false;
    m_bus.Plug(locked);
    ASSERT_TRUE(waitFor([&] { return m_pedal->MatchedCount() == 1; }));
    m_bus.Plug(keyboard("other"));
    ASSERT_TRUE(waitFor([&] { return m_pedal->Devices().size() == 2; }));
    EXPECT_EQ(denied, QStringList({"/dev/fake-locked"}));
}

} // namespace
