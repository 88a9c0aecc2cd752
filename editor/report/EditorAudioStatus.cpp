// The editor's dictation call-out and the shared audio positions.
#include "editor/report/EditorAudioStatus.h"

namespace {
TEditorAudioStatusCallback &callback() {
    static TEditorAudioStatusCallback registered;
    return registered;
}
} // namespace

int AudioStatusCode(int itemType) {
    switch (itemType) {
    case 4:
        return AudioRecognised;
    case 8:
        return AudioCorrected;
    case 64:
        return AudioRecognisedUsed;
    default:
        break;
    }
    if ((itemType >= 16 && itemType <= 63) || (itemType >= 66 && itemType <= 255))
        return AudioCorrectedUsed;
    return AudioRecording;
}

void SetEditorAudioStatusCallback(TEditorAudioStatusCallback c) {
    callback() = std::move(c);
}

void NotifyEditorAudioStatus(const QByteArray &name, const QByteArray &text, int code) {
    // A copy, so that a call-out that registers another (or removes itself) runs to its end.
    const TEditorAudioStatusCallback c = callback();
    if (c)
        c(name, text, code);
}

TAudioFilePositions &AudioFilePositions() {
    static TAudioFilePositions positions;
    return positions;
}

namespace {

TTimePosBySelPos &timePosProvider() {
    static TTimePosBySelPos provider;
    return provider;
}

} // namespace

void SetTimePosBySelPosProvider(TTimePosBySelPos provider) {
    timePosProvider() = std::move(provider);
}

int GetTimePosBySelPos(int textPosition) {
    const TTimePosBySelPos p = timePosProvider();
    return p ? p(textPosition) : -1;
}
