// The wave document and device behind the player, in place of the media control interface: the
// GSM 6.10 blocks of one file kept in memory exactly as read, played through the sound output and
// recorded over from the sound input, cut and saved. Blocks outside a change are never re-encoded.
// Audio in any other readable format is decoded whole for playing only.
#pragma once

#include "platform/audio/AudioDevices.h"
#include "platform/audio/GsmCodec.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

// The 60-byte empty recording: "fmt " of GSM 6.10, 22,050 Hz, mono, "fact" 0, "data" 0.
QByteArray EmptyGsmWave();
// Writes it (mode 0600); false, with the user's message in `error`, when it cannot.
bool WriteEmptyGsmWave(const QString &name, QString *error = nullptr);

// A call that fails answers false and puts the message the user is shown in `error` (when given).
class WaveDevice : public QObject {
    Q_OBJECT
public:
    enum State { Closed, Idle, Playing, Recording };

    explicit WaveDevice(orva::audio::AudioDevices &devices, QObject *parent = nullptr);
    ~WaveDevice() override;

    // Reads a GSM 6.10 22,050 Hz mono wave file; any other wave or MPEG file the audio readers
    // decode is opened for playing only; a file that cannot be read fails. The file is read in a
    // worker; one on a share that does not answer within ShareWaitMs is refused (and the user told
    // once).
    bool open(const QString &path, QString *error = nullptr);
    int ShareWaitMs = 10000;
    // Fails, and the file stays open, only when a recording still running cannot be saved.
    bool close(QString *error = nullptr);
    State state() const { return m_state; }
    QString path() const { return m_path; }

    int lengthMs() const;
    int positionMs() const;
    // Stops and moves to `ms` (clamped to the audio).
    bool seek(int ms, QString *error = nullptr);
    // Plays from `fromMs` to `toMs` (-1 or past the end: the end); fails when the sound output
    // cannot start.
    bool play(int fromMs, int toMs, QString *error = nullptr);
    // Stops playing or recording; the position stays. A recording's last partial block is kept,
    // padded with silence, and the file is saved.
    bool stop(QString *error = nullptr);
    // Records over the blocks from the one holding `fromMs` on, up to `toMs` (-1: no end).
    bool record(int fromMs, int toMs, QString *error = nullptr);
    // Removes the blocks from the one holding `fromMs` to the one holding `toMs` (-1: the end) and
    // saves the file.
    bool deleteRange(int fromMs, int toMs, QString *error = nullptr);
    // Writes the file: the header of the file as opened ("fmt " as read, "fact" with the samples,
    // "data"), the blocks and a pad byte after an odd size. A file opened for playing only is never
    // changed, so it is left as it is.
    bool save(QString *error = nullptr);

    const QByteArray &blocks() const { return m_blocks; }
    int blockCount() const { return int(m_blocks.size() / orva::audio::kGsmBlockBytes); }
    // The last failure that had no caller to answer (device lost, save after a recording that
    // ended by itself); empty when none.
    QString lastError() const { return m_error; }
    static int blockAtMs(qint64 ms);
    static int msOfBlocks(qint64 blocks);

signals:
    // Playing ended by itself, recording reached its end, or the device failed.
    void stateChanged();

private:
    class PlaySource;
    class RecordSink;

    bool dictationFormat(const char *action, QString *error) const;
    void finishPlaying(bool toEnd);
    bool finishRecording(QString *error);
    void putBlocks(const QByteArray &coded);
    void deviceFailed(const QString &reason);
    void stopFromEvent();

    orva::audio::AudioDevices &m_devices;
    State m_state = Closed;
    QString m_path;
    QString m_error;
    QByteArray m_format; // the "fmt " chunk's body as read
    QByteArray m_blocks;
    bool m_playOnly = false; // decoded for playing: never recorded over, cut or saved
    QByteArray m_pcm;        // 16-bit mono samples at the device rate, of a file decoded for playing only
    int m_position = 0;      // ms, while idle
    int m_playFrom = 0;      // ms
    int m_playTo = 0;        // ms
    int m_recordBlock = 0;
    int m_recordEnd = 0; // block index, INT_MAX for no end
    std::unique_ptr<orva::audio::PcmOutput> m_output;
    std::unique_ptr<orva::audio::PcmInput> m_input;
    std::unique_ptr<orva::audio::PcmOutput> m_retiredOutput;
    std::unique_ptr<orva::audio::PcmInput> m_retiredInput;
    std::unique_ptr<PlaySource> m_source;
    std::unique_ptr<RecordSink> m_sink;
};
