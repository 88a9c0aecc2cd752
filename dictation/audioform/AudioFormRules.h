// The dictation window's rules that need no widgets: which buttons a task allows, the status and
// caption texts, the question asked when a recording stops inside the audio, and the double
// Shift/Ctrl release of the correction box.
#pragma once

#include <QByteArray>
#include <QString>

// What EnableButtons decides from the task and the state of the window.
struct TAudioButtonInput {
    QByteArray TaskKind; // AUDIOTASK
    bool FileExists = false;
    bool LabReferenceEmpty = true;
    bool TextDiffers = false;  // the correction box differs from the received text
    bool ReceivedEmpty = true; // no received text
    bool HeldBy = false;       // HELDBY is set
    bool Playing = false;
    bool TransmitEnabled = true; // as it stands (kept for task kinds without a rule)
};

struct TAudioButtonState {
    bool RecordEnabled = false;
    bool PauseVisible = false;
    bool PlayEnabled = false;
    bool StepEnabled = true; // btnRewind and btnFFwd
    bool LoadEnabled = false;
    bool DetailsEnabled = true;
    bool TransmitEnabled = false;
    bool TextEditable = true;
    QString TransmitCaption; // empty: unchanged
};

TAudioButtonState AudioButtonState(const TAudioButtonInput &in);

// "1.23 of 60.00 sec": each time in ms rounded to hundredths of a second.
QString AudioPositionText(int positionMs, int lengthMs);
// " dd/mm/yyyy hh:nn" of the host date-time after the first "_" of AUDIOJOBNUMBER; empty when none.
QString AudioJobDateText(const QByteArray &jobNumber);
// "Quillory :" ReqCode " " ProcCode " " AUDIODESCRIPTION + job date (+ " [batch]").
QString AudioFormCaption(const QByteArray &reqCode, const QByteArray &procCode, const QByteArray &description,
                         const QByteArray &jobNumber, const QString &batch = QString());
// DOCTitle " " initial of DOCGiven " " DOCSur "  "; empty without a given name.
QString AudioDoctorLine(const QByteArray &title, const QByteArray &given, const QByteArray &surname);
// The question when a recording stops `remainingMs` before the end of the audio.
QString AudioCutQuestion(int remainingMs);
// The author's recognition context allows a submission: not when it starts with "no".
bool AudioContextAllowsRecognition(const QByteArray &context);

// Received text with each "]" as a line break ("\n": the correction box's own).
QString AudioReceivedText(const QByteArray &hostText);
// The correction box's text as the host takes it back: line breaks as CR LF.
QByteArray AudioCorrectedText(const QString &boxText);

// Key releases in the correction box: Shift released twice in a row toggles play and pause, Ctrl
// twice steps back; navigation keys while playing stop; any other key resets both counts.
class TAudioKeyCounter {
public:
    enum class Action { None, PlayPause, StepBack, Stop };
    Action KeyUp(int key, bool playing);

private:
    int m_shift = 0;
    int m_control = 0;
};
