// Microphone buttons and the scanner's keystrokes.
#include "dictation/hid/TDictationMic.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <algorithm>

TDictationMic::TDictationMic(QObject *owner, std::unique_ptr<HidBackend> backend)
    : THidDevice(owner, std::move(backend)) {
    m_scanTimer.setSingleShot(true);
    connect(&m_scanTimer, &QTimer::timeout, this, &TDictationMic::endCapture);
    FirstDeviceCheck();
}

TDictationMic::~TDictationMic() {
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool TDictationMic::MatchesDevice(const THidAttributes &attributes, int inputReportByteLength) {
    if (attributes.VendorID != kVendorID || inputReportByteLength != kInputReportByteLength)
        return false;
    return std::any_of(kModels.begin(), kModels.end(), [&](const Model &m) {
        return attributes.ProductID == m.ProductID && attributes.VersionNumber == m.VersionNumber;
    });
}

bool TDictationMic::Match(TUsbHidDevice *device) {
    return MatchesDevice(device->Attributes(), device->Caps().InputReportByteLength);
}

void TDictationMic::SetScanTimeouts(int idleMs, int totalMs) {
    m_scanIdleMs = std::max(1, idleMs);
    m_scanTotalMs = std::max(1, totalMs);
}

void TDictationMic::DeviceData(TUsbHidDevice *device, quint8, const QByteArray &data) {
    if (data.size() < 9)
        return; // too short to hold the button word
    const quint16 word = quint16(quint8(data[7]) | quint8(data[8]) << 8);
    const QString &instance = device->DeviceInstance();
    const bool changed = m_lastWord.value(instance) != word;
    m_lastWord[instance] = word;
    m_buttonWord = word;
    if (!changed || word == 0)
        return;
    if (word == 128 || word == 129)
        startCapture();
    emit OnButton(word);
}

void TDictationMic::DeviceReleased(TUsbHidDevice *device) {
    m_lastWord.remove(device->DeviceInstance());
}

void TDictationMic::startCapture() {
    if (m_captureGate && !m_captureGate())
        return;
    m_scannedText.clear();
    m_scanClock.start();
    if (!m_capturing) {
        m_capturing = true;
        if (QCoreApplication *app = QCoreApplication::instance())
            app->installEventFilter(this);
    }
    // Until the first character the scanner may still be reading the code: give it the whole time.
    m_scanTimer.start(m_scanTotalMs);
}

void TDictationMic::armScanTimer() {
    const qint64 left = m_scanTotalMs - m_scanClock.elapsed();
    if (left <= 0) {
        endCapture();
        return;
    }
    m_scanTimer.start(int(std::min<qint64>(m_scanIdleMs, left)));
}

void TDictationMic::endCapture() {
    m_scanTimer.stop();
    m_scannedText.clear();
    if (!m_capturing)
        return;
    m_capturing = false;
    if (QCoreApplication *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool TDictationMic::eventFilter(QObject *watched, QEvent *event) {
    if (!m_capturing)
        return QObject::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (key->text().isEmpty() && !enter)
        return false; // not a character (arrows, modifiers): left alone
    if (type == QEvent::ShortcutOverride) {
        // Claimed for the key press that follows, so no shortcut takes a scanned character.
        event->accept();
        return true;
    }
    if (enter) {
        const QString text = m_scannedText;
        endCapture();
        emit OnScannedText(text);
        return true;
    }
    for (const QChar ch : key->text())
        if (ch.unicode() >= ' ')
            m_scannedText += ch;
    armScanTimer();
    return true; // swallowed: the focus never sees a scanned character
}
