// The dictation microphone: which devices it takes, the button word, and the scanner capture
// that keeps the scanned characters from the focused control.
#include "dictation/hid/TDictationMic.h"
#include "dictation/hid/tests/HidTestSupport.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

using namespace hidtest;

namespace {

class DictationMicTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_mic = std::make_unique<TDictationMic>(nullptr, m_bus.NewBackend());
        QObject::connect(m_mic.get(), &TDictationMic::OnButton, [this](int word) { m_words << word; });
        QObject::connect(m_mic.get(), &TDictationMic::OnScannedText,
                         [this](const QString &text) { m_scans << text; });
    }
    void feed(const char *hex) { m_mic->DeviceData(m_device.get(), 0, QByteArray::fromHex(hex)); }

    FakeHidBus m_bus;
    std::unique_ptr<TDictationMic> m_mic;
    std::unique_ptr<TUsbHidDevice> m_device = standalone(mic("m"));
    QList<int> m_words;
    QStringList m_scans;
};

TEST_F(DictationMicTest, TakesOnlyTheTwoKnownModelsWithTenByteReports) {
    const struct {
        const char *name;
        quint16 vendor, product, version;
        int length;
        bool matches;
    } cases[] = {
        {"first model", 0x0911, 0x149A, 0x0114, 10, true},
        {"second model", 0x0911, 0x14A4, 0x0217, 10, true},
        {"crossed release numbers", 0x0911, 0x149A, 0x0217, 10, false},
        {"crossed the other way", 0x0911, 0x14A4, 0x0114, 10, false},
        {"report one byte short", 0x0911, 0x149A, 0x0114, 9, false},
        {"report one byte long", 0x0911, 0x149A, 0x0114, 11, false},
        {"other vendor", 0x0912, 0x149A, 0x0114, 10, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TDictationMic::MatchesDevice({c.vendor, c.product, c.version}, c.length), c.matches)
            << c.name;
}

TEST_F(DictationMicTest, ButtonWordActsOnceWhenItChanges) {
    const struct {
        const char *name;
        QList<const char *> reports;
        QList<int> words;
    } cases[] = {
        {"play/pause", {"000000000000000004"}, {1024}},
        {"record", {"000000000000000001"}, {256}},
        {"low byte", {"000000000000000200"}, {2}},
        {"bytes 0 to 6 are not the word", {"ffffffffffffff0000"}, {}},
        {"held button reporting again", {"000000000000000004", "010000000000000004"}, {1024}},
        {"pressed twice", {"000000000000000004", "000000000000000000", "000000000000000004"}, {1024, 1024}},
        {"another button while held", {"000000000000000008", "000000000000000018"}, {2048, 6144}},
        {"too short for the word", {"0000000000000004"}, {}},
        {"empty report", {""}, {}},
    };
    for (const auto &c : cases) {
        TDictationMic mic(nullptr, m_bus.NewBackend());
        QList<int> words;
        QObject::connect(&mic, &TDictationMic::OnButton, [&](int word) { words << word; });
        const auto device = standalone(hidtest::mic(c.name));
        for (const char *hex : c.reports)
            mic.DeviceData(device.get(), 0, QByteArray::fromHex(hex));
        EXPECT_EQ(words, c.words) << c.name;
    }
}

TEST_F(DictationMicTest, ScannedCharactersNeverReachTheFocus) {
    QLineEdit edit;
    edit.show();
    edit.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));

    feed("000000000000008000");
    EXPECT_EQ(m_words, QList<int>{128});
    ASSERT_TRUE(m_mic->Capturing());
    QTest::keyClick(&edit, Qt::Key_1, Qt::NoModifier);
    QTest::keyClick(&edit, Qt::Key_Tab, Qt::NoModifier); // a control character: dropped
    QTest::keyClick(&edit, Qt::Key_2, Qt::NoModifier);
    QTest::keyClick(&edit, Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(m_scans, QStringList{"12"});
    EXPECT_EQ(edit.text(), "");
    EXPECT_TRUE(edit.hasFocus());
    EXPECT_FALSE(m_mic->Capturing());

    QTest::keyClick(&edit, Qt::Key_3, Qt::NoModifier);
    EXPECT_EQ(edit.text(), "3") << "typing after the scan reaches the focus again";
}

TEST_F(DictationMicTest, ScanWithoutItsEnterEndsOnItsOwn) {
    QLineEdit edit;
    edit.show();
    edit.setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    m_mic->SetScanTimeouts(30, 2000);

    feed("000000000000008100"); // 129 starts a capture too
    QTest::keyClick(&edit, Qt::Key_7, Qt::NoModifier);
    ASSERT_TRUE(waitFor([&] { return !m_mic->Capturing(); }));
    EXPECT_TRUE(m_scans.isEmpty());
    QTest::keyClick(&edit, Qt::Key_8, Qt::NoModifier);
    EXPECT_EQ(edit.text(), "8");

    // A scan button with no scan at all ends once the whole time is up.
    m_mic->SetScanTimeouts(30, 60);
    feed("000000000000000000");
    feed("000000000000008000");
    ASSERT_TRUE(m_mic->Capturing());
    ASSERT_TRUE(waitFor([&] { return !m_mic->Capturing(); }));
}

TEST_F(DictationMicTest, NoCaptureWhileTheGateIsClosed) {
    m_mic->SetCaptureGate([] { return false; });
    feed("000000000000008000");
    EXPECT_EQ(m_words, QList<int>{128});
    EXPECT_FALSE(m_mic->Capturing());
}

TEST_F(DictationMicTest, ReadsTheMicrophoneOnTheMachine) {
    m_bus.Plug(mic("mic"));
    m_bus.Plug(mic("mic-short", 0x149A, 0x0114, 8));
    ASSERT_TRUE(waitFor([&] { return m_bus.OpenHandles("mic") == 1; }));
    EXPECT_EQ(m_mic->MatchedCount(), 1);
    EXPECT_EQ(m_bus.OpenHandles("mic-short"), 0);

    // Nine data bytes as Linux reads them from a device without numbered reports.
    m_bus.Send("mic", QByteArray::fromHex("000000000000000004"));
    ASSERT_TRUE(waitFor([&] { return m_words.size() == 1; }));
    EXPECT_EQ(m_words, QList<int>{1024});
}

} // namespace
