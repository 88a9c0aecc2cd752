// What the dictation side and the results editor share: the editor's status call-out (through which
// the dictation window reports recognised and corrected text), the status code of a dictation item
// type, and the audio positions returned with a report. User-interface thread only.
#pragma once

#include <QByteArray>
#include <functional>

// Status of a dictation entry in the editor; "used" once its text has been put in the report. A batched
// entry's text comes with the report, typed by a typist.
enum TAudioStatus : int {
    AudioRecording = 0,
    AudioRecordingUsed = 1,
    AudioRecognised = 2,
    AudioRecognisedUsed = 3,
    AudioCorrected = 4,
    AudioCorrectedUsed = 5,
    AudioBatched = 6,
};
// The status of an entry from the item type the host gives.
int AudioStatusCode(int itemType);

// The editor's call-out: the dictation's file or job name, its text and a status code.
using TEditorAudioStatusCallback =
    std::function<void(const QByteArray &name, const QByteArray &text, int code)>;
// The editor registers its call-out once it exists; an empty function removes it.
void SetEditorAudioStatusCallback(TEditorAudioStatusCallback callback);
// Calls the editor's call-out when one is registered; otherwise does nothing.
void NotifyEditorAudioStatus(const QByteArray &name, const QByteArray &text, int code);

// Where the dictation window last played, in milliseconds: the start of the played audio and the
// position at the last pause. Both 0 until the dictation window sets them; the editor returns them
// with the report ("^KX_AUDIOFILEPOS~start;end").
struct TAudioFilePositions {
    int AudioFilePosStart = 0;
    int AudioFilePosEnd = 0;
};
TAudioFilePositions &AudioFilePositions();

// The dictation window's answer to "which audio time holds this text position" (ms; -1 when none),
// offered to the editor; the window registers it when it is created, an empty function removes it.
using TTimePosBySelPos = std::function<int(int textPosition)>;
void SetTimePosBySelPosProvider(TTimePosBySelPos provider);
// -1 while no dictation window answers.
int GetTimePosBySelPos(int textPosition);
