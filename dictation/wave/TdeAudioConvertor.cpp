#include "dictation/wave/TdeAudioConvertor.h"

#include "dictation/wave/AudioErrors.h"
#include "platform/audio/AudioCodecs.h"
#include "platform/audio/PcmConverter.h"

#include <vector>

using namespace orva::audio;

bool TdeAudioConvertor::SetRequestRealTime(bool on, QString *error) {
    if (m_active)
        return AudioFailed(error, AudioText::WhileActive);
    m_realTime = on;
    return true;
}

bool TdeAudioConvertor::SetActive(bool on, QString *error) {
    if (on == m_active)
        return AudioFailed(error, on ? AudioText::WhileActive : AudioText::WhileNotActive);
    if (on && !(CanDecode(m_in.Fields()) && CanEncode(m_out.Fields())))
        return AudioFailed(error, AudioText::ConversionNotPossible);
    m_active = on;
    return true;
}

bool TdeAudioConvertor::ConvertStream(QIODevice &window, QString *error) {
    if (!m_active)
        return AudioFailed(error, AudioText::WhileNotActive);
    int result = 0;
    QString why;
    const std::unique_ptr<PcmDecoder> decoder = OpenDecoder(m_in.Fields(), &window, &result, &why);
    if (!decoder)
        return AudioFailed(error, AcmResultMessage(result ? result : kErrNotPossible, why));
    const std::unique_ptr<PcmEncoder> encoder = OpenEncoder(m_out.Fields(), &result);
    if (!encoder)
        return AudioFailed(error, AcmResultMessage(result ? result : kErrNotPossible));
    PcmConverter converter(decoder->rate(), decoder->channels(), int(m_out.SamplesPerSec()),
                           m_out.Channels());
    if (!converter.ok())
        return AudioFailed(error, AudioText::ConversionNotPossible);

    const qint64 chunkFrames = 2 * qint64(decoder->rate());
    std::vector<std::int16_t> input(std::size_t(chunkFrames) * decoder->channels());
    std::vector<std::int16_t> pcm;
    QByteArray out;
    bool abort = false;
    bool end = false;
    while (!abort && !end) {
        const qint64 frames = decoder->read(input.data(), chunkFrames);
        if (frames < 0)
            return AudioFailed(error, AcmResultMessage(kErrNotPossible, decoder->errorString()));
        end = frames == 0;
        pcm.clear();
        converter.process(input.data(), std::size_t(frames), end, pcm);
        if (!converter.ok())
            return AudioFailed(error, AudioText::ConversionNotPossible);
        out.clear();
        encoder->push(pcm.data(), pcm.size() / m_out.Channels(), out);
        if (end)
            encoder->flush(out);
        if (!out.isEmpty() && OnAudioConverted)
            OnAudioConverted(out.constData(), out.size(), abort);
    }
    return true;
}
