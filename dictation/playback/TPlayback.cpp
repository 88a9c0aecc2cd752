#include "dictation/playback/TPlayback.h"

#include <algorithm>

namespace {
orva::audio::AudioDevices &systemDevices() {
    static const std::unique_ptr<orva::audio::AudioDevices> devices = orva::audio::CreateSystemAudioDevices();
    return *devices;
}

// Steps through the corrected text while the diff's records are walked (see AlignWords).
class Aligner {
public:
    Aligner(const std::vector<TWordTiming> &words, const QString &current,
            std::vector<TPlayback::AlignedEntry> &out)
        : m_words(words), m_current(current), m_out(out) {
        m_out.assign(words.size() + 2, {});
    }

    void match() {
        if (m_remaining == 0 && !openNext())
            return;
        ++m_cursor;
        m_out[m_index].End = m_cursor;
        --m_remaining;
    }
    void remove() {
        if (m_remaining == 0 && !openNext())
            return;
        m_out[m_index].End = m_cursor;
        --m_remaining;
    }
    void insert() {
        if (m_remaining == 0 && m_index < int(m_words.size())) {
            // The inserted run belongs to the word before it, up to the first blank; the next
            // word starts after the blanks.
            const int n = int(m_current.size());
            int blank = std::min(m_cursor, n);
            while (blank < n && m_current[blank] != QLatin1Char(' '))
                ++blank;
            int next = blank;
            while (next < n && m_current[next] == QLatin1Char(' '))
                ++next;
            m_out[m_index].End = blank;
            openNext();
            m_out[m_index].Start = next;
        }
        ++m_cursor;
        m_out[m_index].End = m_cursor;
    }
    // The closing entry: the end time of the last word at the end of the text covered.
    void close() {
        const int last = m_index + 1;
        m_out[last].Time = m_words.empty() ? 0 : m_words.back().End;
        m_out[last].Start = m_out[m_index].End;
        m_out[last].End = m_out[m_index].End;
        m_out.resize(std::size_t(last) + 1);
    }

private:
    bool openNext() {
        if (m_index >= int(m_words.size()))
            return false;
        ++m_index;
        const TWordTiming &word = m_words[std::size_t(m_index) - 1];
        m_out[m_index].Time = word.Start;
        m_out[m_index].Start = m_cursor;
        m_out[m_index].End = m_cursor;
        m_remaining = int(word.Text.size());
        return true;
    }

    const std::vector<TWordTiming> &m_words;
    const QString &m_current;
    std::vector<TPlayback::AlignedEntry> &m_out;
    int m_index = 0;
    int m_cursor = 0;
    int m_remaining = 0;
};
} // namespace

TPlayback::TPlayback(QObject *owner, orva::audio::AudioDevices *devices)
    : QObject(owner), m_device(devices ? *devices : systemDevices()) {
    m_timer.setInterval(100);
    connect(&m_timer, &QTimer::timeout, this, &TPlayback::TimerTick);
    // Playing that ends by itself is seen by the next tick; keep ticking until then.
    connect(&m_device, &WaveDevice::stateChanged, this, [this] {
        if (!m_timer.isActive())
            m_timer.start();
    });
}

TPlayback::~TPlayback() {
    // A recording still running is saved as far as possible; nothing to tell from here.
    m_device.close();
}

int TPlayback::Mode() const {
    switch (m_device.state()) {
    case WaveDevice::Closed:
        return NotReady;
    case WaveDevice::Playing:
        return Playing;
    case WaveDevice::Recording:
        return Recording;
    default:
        return Stopped;
    }
}

bool TPlayback::OpenFile(const QString &name, QString *error) {
    if (name == m_device.path())
        return true;
    if (!m_device.close(error))
        return false;
    if (!name.isEmpty() && !m_device.open(name, error))
        return false;
    NotifyPosition(0, 0);
    return true;
}

bool TPlayback::Play(int from, int to, QString *error) {
    m_lastAction = Playing;
    const int start = (from == Length() || from < 0) ? 0 : from;
    if (!m_device.play(start, to, error))
        return false;
    m_timer.start();
    return true;
}

bool TPlayback::PlayFromTextPos(int textPosition, int textEnd, QString *error) {
    int from = TimeOfTextPos(textPosition);
    if (from < 0)
        from = Position(); // a position after the last word plays from where the player is
    const int to = textEnd == -1 ? -1 : TimeOfTextPos(textEnd + 2);
    return Play(from, to, error);
}

bool TPlayback::Pause(QString *error) {
    m_lastAction = Mode();
    return m_device.stop(error);
}

bool TPlayback::Stop(QString *error) {
    if (!m_device.stop(error) || !m_device.seek(0, error))
        return false;
    NotifyPosition(0, 0);
    return true;
}

bool TPlayback::Record(int from, int to, QString *error) {
    m_lastAction = Recording;
    if (!m_device.record(from, to, error))
        return false;
    m_timer.start();
    return true;
}

bool TPlayback::DeleteRange(int from, int to, QString *error) {
    if (!m_device.deleteRange(from, to, error))
        return false;
    NotifyPosition(m_lastStart, m_lastLength);
    return true;
}

bool TPlayback::SaveRecording(QString *error) {
    const int position = Position();
    const int mode = Mode();
    if ((mode == Playing || mode == Recording) && !m_device.stop(error))
        return false;
    if (!m_device.save(error))
        return false;
    if (mode == Playing)
        return Play(position, -1, error);
    if (mode == Recording)
        return Record(position, -1, error);
    return true;
}

bool TPlayback::CreateRecordingFile(const QString &name, QString *error) {
    if (!WriteEmptyGsmWave(name, error))
        return false;
    if (name == m_device.path() && !m_device.close(error))
        return false;
    return OpenFile(name, error);
}

void TPlayback::TimerTick() {
    const int mode = Mode();
    if (mode == Playing || mode == Recording) {
        ReportWordAtTime(Position());
        return;
    }
    m_timer.stop();
    if (Position() == Length() && m_lastAction != Recording)
        m_device.seek(0);
    NotifyPosition(m_lastStart, m_lastLength);
}

void TPlayback::NotifyPosition(int start, int length) {
    m_lastStart = start;
    m_lastLength = length;
    if (m_callback)
        m_callback(this, start, length);
}

void TPlayback::ReportWordAtTime(int time) {
    const int i = WordAtTime(time);
    if (i < 0) {
        NotifyPosition(0, 0);
        return;
    }
    const AlignedEntry &e = m_aligned[std::size_t(i)];
    const bool beforeLast = i == int(m_aligned.size()) - 2;
    NotifyPosition(e.Start, e.End - e.Start + (beforeLast ? 1 : 0));
}

int TPlayback::WordAtTime(int time) const {
    const int n = int(m_aligned.size());
    for (int i = 0; i < n; ++i) {
        if (m_aligned[std::size_t(i)].Time > time)
            continue;
        if (i == n - 1 || m_aligned[std::size_t(i) + 1].Time > time)
            return i;
    }
    return -1;
}

int TPlayback::TimeOfTextPos(int position) const {
    for (std::size_t i = 0; i + 1 < m_aligned.size(); ++i)
        if (m_aligned[i].Start <= position && m_aligned[i + 1].Start > position)
            return m_aligned[i].Time;
    return -1;
}

void TPlayback::SetRecognisedText(const QString &list) {
    QString clean = list;
    clean.remove(QLatin1Char('\r'));
    clean.remove(QLatin1Char('\n'));
    if (clean == m_list)
        return;
    m_list = clean;
    RebuildWords();
}

void TPlayback::SetCurrentText(const QString &text) {
    const QString upper = UpperCaseSameLength(text);
    if (upper == m_current)
        return;
    m_current = upper;
    AlignWords();
}

void TPlayback::RebuildWords() {
    m_words = ParseWordTimings(m_list);
    m_recognised.clear();
    for (const TWordTiming &word : m_words)
        m_recognised += word.Text;
    // The current text may not change before the next play: align it with the new words now.
    AlignWords();
}

void TPlayback::AlignWords() {
    m_aligned.clear();
    if (m_words.empty())
        return;
    if (!m_diff.Execute(m_recognised, m_current))
        return; // too long to compare: no word follows the audio
    Aligner step(m_words, m_current, m_aligned);
    const int length1 = int(m_recognised.size());
    int p1 = 0;
    for (const TDiffRecord &r : m_diff.Changes()) {
        for (; p1 < r.Pos1; ++p1)
            step.match();
        switch (r.Kind) {
        case TDiffRecord::Add:
            for (int i = 0; i < r.Count; ++i)
                step.insert();
            p1 = r.Pos1;
            break;
        case TDiffRecord::Modify:
            for (int i = 0; i < r.Count; ++i)
                step.match();
            p1 = r.Pos1 + r.Count;
            break;
        default:
            for (int i = 0; i < r.Count; ++i)
                step.remove();
            p1 = r.Pos1 + r.Count;
            break;
        }
    }
    for (; p1 < length1; ++p1)
        step.match();
    step.close();
}
