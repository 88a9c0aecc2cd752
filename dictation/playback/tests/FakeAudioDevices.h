// Sound devices for tests: the output plays when told how many milliseconds have passed, the input
// delivers the samples it is given.
#pragma once

#include "platform/audio/AudioDevices.h"

#include <cstdint>
#include <vector>

class FakeOutput : public orva::audio::PcmOutput {
public:
    bool start(QIODevice *source) override {
        m_source = source;
        m_samples = 0;
        return m_works;
    }
    void stop() override { m_source = nullptr; }
    qint64 playedMs() const override { return m_samples * 1000 / orva::audio::kDeviceRate; }
    // Plays `ms` of the source; says so when it ran out.
    std::vector<std::int16_t> advance(int ms) {
        std::vector<std::int16_t> got;
        if (!m_source)
            return got;
        const qint64 want = qint64(ms) * orva::audio::kDeviceRate / 1000;
        got.resize(std::size_t(want));
        const qint64 bytes = m_source->read(reinterpret_cast<char *>(got.data()), want * 2);
        got.resize(std::size_t(std::max<qint64>(bytes, 0) / 2));
        m_samples += qint64(got.size());
        if (m_source->atEnd())
            emit drained();
        return got;
    }
    bool m_works = true;

private:
    QIODevice *m_source = nullptr;
    qint64 m_samples = 0;
};

class FakeInput : public orva::audio::PcmInput {
public:
    bool start(QIODevice *sink) override {
        m_sink = sink;
        return true;
    }
    void stop() override { m_sink = nullptr; }
    void feed(const std::vector<std::int16_t> &samples, std::size_t pieces = 7) {
        const std::size_t step = samples.size() / pieces + 1;
        for (std::size_t at = 0; at < samples.size() && m_sink; at += step) {
            const std::size_t n = std::min(step, samples.size() - at);
            m_sink->write(reinterpret_cast<const char *>(samples.data() + at), qint64(n) * 2);
        }
    }
    bool active() const { return m_sink != nullptr; }

private:
    QIODevice *m_sink = nullptr;
};

class FakeAudioDevices : public orva::audio::AudioDevices {
public:
    std::unique_ptr<orva::audio::PcmOutput> createOutput() override {
        auto o = std::make_unique<FakeOutput>();
        output = o.get();
        return o;
    }
    std::unique_ptr<orva::audio::PcmInput> createInput() override {
        auto i = std::make_unique<FakeInput>();
        input = i.get();
        return i;
    }
    FakeOutput *output = nullptr;
    FakeInput *input = nullptr;
};
