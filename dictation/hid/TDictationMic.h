// The dictation microphone: its buttons arrive as a 16-bit word at data bytes 7 and 8; the scan
// button starts capturing what the bar-code scanner types, until its Enter, so that the scanned
// characters do not land in whatever has the focus.
#pragma once

#include "dictation/hid/THidDevice.h"

#include <QElapsedTimer>
#include <QHash>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>

class TDictationMic : public THidDevice {
    Q_OBJECT
public:
    static constexpr quint16 kVendorID = 0x0911;
    // The two models: product id with the release number each must carry. The udev rule that lets
    // the user open the devices lists the same pairs.
    struct Model {
        quint16 ProductID;
        quint16 VersionNumber;
    };
    static constexpr std::array<Model, 2> kModels{{{0x149A, 0x0114}, {0x14A4, 0x0217}}};
    static constexpr int kInputReportByteLength = 10;
    // A scan that stalls this long between characters, or lasts this long in all, has ended
    // without its Enter; keys reach the focus again.
    static constexpr int kScanIdleMs = 300;
    static constexpr int kScanTotalMs = 3000;

    explicit TDictationMic(QObject *owner = nullptr, std::unique_ptr<HidBackend> backend = {});
    ~TDictationMic() override;

    static bool MatchesDevice(const THidAttributes &attributes, int inputReportByteLength);

    // Decides whether a scan button may start capturing (the dictation window is open); unset,
    // it always may.
    void SetCaptureGate(std::function<bool()> gate) { m_captureGate = std::move(gate); }
    void SetScanTimeouts(int idleMs, int totalMs);
    bool Capturing() const { return m_capturing; }
    int ButtonWord() const { return m_buttonWord; }

    // Decodes one report as delivered. OnButton fires when a device's word changes to a new
    // value other than 0, so a held button acts once however often the device reports.
    void DeviceData(TUsbHidDevice *device, quint8 reportId, const QByteArray &data) override;

signals:
    void OnButton(int buttonWord);
    void OnScannedText(const QString &text);

protected:
    bool Match(TUsbHidDevice *device) override;
    void DeviceReleased(TUsbHidDevice *device) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void startCapture();
    void endCapture();
    void armScanTimer();

    QHash<QString, quint16> m_lastWord; // per device
    int m_buttonWord = 0;
    bool m_capturing = false;
    QString m_scannedText;
    std::function<bool()> m_captureGate;
    int m_scanIdleMs = kScanIdleMs;
    int m_scanTotalMs = kScanTotalMs;
    QTimer m_scanTimer;
    QElapsedTimer m_scanClock;
};
