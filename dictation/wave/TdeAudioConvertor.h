// Converts the audio of one wave format into another: decode to 16-bit PCM, mix to the output's
// channels, change the rate, encode. A whole data window is converted in pieces of two seconds of
// input; each piece of output goes to OnAudioConverted, whose abort flag ends the conversion. A call
// that fails answers false and puts the reason in `error`, when given.
#pragma once

#include "dictation/wave/TdeWaveFormat.h"

#include <QIODevice>
#include <QString>

#include <functional>

class TdeAudioConvertor {
public:
    const TdeWaveFormat &FormatIn() const { return m_in; }
    void SetFormatIn(const TdeWaveFormat &format) { m_in = format; }
    const TdeWaveFormat &FormatOut() const { return m_out; }
    void SetFormatOut(const TdeWaveFormat &format) { m_out = format; }
    bool RequestRealTime() const { return m_realTime; }
    // Only while inactive ("Cannot perform this action while active.").
    bool SetRequestRealTime(bool on, QString *error = nullptr);

    bool Active() const { return m_active; }
    // On: "Cannot perform this action while active." when already on, "Conversion not possible."
    // when the input cannot be decoded or the output not encoded. Off: "... while not active.".
    bool SetActive(bool on, QString *error = nullptr);

    // Converts the window from its position to its end; the last piece includes everything the
    // resampler and the encoder held back. An abort by OnAudioConverted is no failure.
    bool ConvertStream(QIODevice &window, QString *error = nullptr);

    std::function<void(const char *data, qint64 size, bool &abort)> OnAudioConverted;

private:
    TdeWaveFormat m_in;
    TdeWaveFormat m_out;
    bool m_realTime = false;
    bool m_active = false;
};
