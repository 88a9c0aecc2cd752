// The dictation window's widget-free rules: buttons per task, texts, the cut question and the keys.
#include "dictation/audioform/AudioFormRules.h"

#include <gtest/gtest.h>

#include <Qt>

namespace {

TEST(AudioFormRules, ButtonsPerTask) {
    struct Case {
        const char *name;
        TAudioButtonInput in;
        bool record, play, step, load, details, transmit;
        const char *caption;
    };
    auto in = [](const char *kind, bool file, bool labEmpty, bool differs, bool receivedEmpty, bool held) {
        TAudioButtonInput i;
        i.TaskKind = kind;
        i.FileExists = file;
        i.LabReferenceEmpty = labEmpty;
        i.TextDiffers = differs;
        i.ReceivedEmpty = receivedEmpty;
        i.HeldBy = held;
        return i;
    };
    const Case cases[] = {
        {"record, nothing yet", in("RECORD", false, false, false, true, false), true, false, false, true,
         true, false, "&Transmit (F3)"},
        {"record, file and lab ref", in("RECORD", true, false, false, true, false), true, true, true, true,
         true, true, "&Transmit (F3)"},
        {"record, empty lab ref", in("RECORD", true, true, false, true, false), true, true, false, true, true,
         false, "&Transmit (F3)"},
        {"import", in("IMPORT", true, false, false, true, false), false, true, true, true, true, true,
         "&Transmit (F3)"},
        {"correct, typed", in("CORRECT", true, false, true, false, false), false, true, true, false, true,
         true, "&Correct"},
        {"correct, held by", in("CORRECT", true, false, true, false, true), false, true, true, false, true,
         false, "&Correct"},
        {"correct, unchanged", in("CORRECT", true, false, false, false, false), false, true, true, false,
         true, false, "&Correct"},
        {"playback", in("PLAYBACK", true, false, true, false, false), false, true, true, true, false, false,
         "&Correct"},
        {"other", in("REVIEW", false, true, false, true, false), false, false, true, false, true, true, ""},
    };
    for (const Case &c : cases) {
        const TAudioButtonState s = AudioButtonState(c.in);
        EXPECT_EQ(s.RecordEnabled, c.record) << c.name;
        EXPECT_EQ(s.PlayEnabled, c.play) << c.name;
        EXPECT_EQ(s.StepEnabled, c.step) << c.name;
        EXPECT_EQ(s.LoadEnabled, c.load) << c.name;
        EXPECT_EQ(s.DetailsEnabled, c.details) << c.name;
        EXPECT_EQ(s.TransmitEnabled, c.transmit) << c.name;
        EXPECT_EQ(s.TransmitCaption, QString::fromLatin1(c.caption)) << c.name;
        EXPECT_TRUE(s.TextEditable) << c.name;
    }
}

TEST(AudioFormRules, Texts) {
    EXPECT_EQ(AudioPositionText(1234, 60000), "1.23 of 60.00 sec");
    EXPECT_EQ(AudioPositionText(0, 5), "0.00 of 0.01 sec");
    EXPECT_EQ(AudioFormCaption("R1", "P1", "Chest", "R1_1234543200"),
              "Quillory :R1 P1 Chest 18/10/2001 12:00");
    EXPECT_EQ(AudioFormCaption("R1", "P1", "Chest", "R1_1234543200", "Report A"),
              "Quillory :R1 P1 Chest 18/10/2001 12:00 [Report A]");
    EXPECT_EQ(AudioFormCaption("R1", "P1", "Chest", "R1_"), "Quillory :R1 P1 Chest");
    EXPECT_EQ(AudioFormCaption("R1", "P1", "Chest", "R1_xx"), "Quillory :R1 P1 Chest");
    EXPECT_EQ(AudioFormCaption("R1", "P1", "Chest", "nounderscore"), "Quillory :R1 P1 Chest");
    EXPECT_EQ(AudioDoctorLine("Dr", "john", "Smith"), "Dr J Smith  ");
    EXPECT_EQ(AudioDoctorLine("Dr", "", "Smith"), "");
}

TEST(AudioFormRules, CutQuestion) {
    const QString tail = " after this point.\r\n\r\nDo you want to keep the remaining recording?";
    EXPECT_EQ(AudioCutQuestion(1400), "There are 1 second " + tail);
    EXPECT_EQ(AudioCutQuestion(600), "There are 1 second " + tail);
    EXPECT_EQ(AudioCutQuestion(2500), "There are 2 seconds" + tail);
}

TEST(AudioFormRules, RecognitionContext) {
    EXPECT_TRUE(AudioContextAllowsRecognition("Histology"));
    EXPECT_TRUE(AudioContextAllowsRecognition(""));
    EXPECT_FALSE(AudioContextAllowsRecognition("no context"));
    EXPECT_FALSE(AudioContextAllowsRecognition("NONE"));
}

TEST(AudioFormRules, LineBreaks) {
    EXPECT_EQ(AudioReceivedText("one]two]"), "one\ntwo\n");
    EXPECT_EQ(AudioCorrectedText("one\ntwo"), "one\r\ntwo");
    // Frame bytes and value marks never reach the host from typed text.
    EXPECT_EQ(AudioCorrectedText(QString::fromUtf8("a\xc3\xbd\x03z")), "ay?z");
}

TEST(AudioFormRules, ShiftAndControlReleases) {
    using A = TAudioKeyCounter::Action;
    struct Case {
        const char *name;
        std::vector<int> keys;
        bool playing;
        A last;
    };
    const Case cases[] = {
        {"shift twice", {Qt::Key_Shift, Qt::Key_Shift}, false, A::PlayPause},
        {"shift ctrl shift", {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Shift}, false, A::PlayPause},
        {"shift A shift", {Qt::Key_Shift, Qt::Key_A, Qt::Key_Shift}, false, A::None},
        {"ctrl twice", {Qt::Key_Control, Qt::Key_Control}, false, A::StepBack},
        {"arrow while playing", {Qt::Key_Left}, true, A::Stop},
        {"arrow while stopped", {Qt::Key_Left}, false, A::None},
        {"shift thrice", {Qt::Key_Shift, Qt::Key_Shift, Qt::Key_Shift}, false, A::None},
    };
    for (const Case &c : cases) {
        TAudioKeyCounter keys;
        A last = A::None;
        for (int k : c.keys)
            last = keys.KeyUp(k, c.playing);
        EXPECT_EQ(last, c.last) << c.name;
    }
}

} // namespace
