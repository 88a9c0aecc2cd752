// A HID interface of the controller's list and its reader.
#include "dictation/hid/TUsbHidDevice.h"

#include "dictation/hid/TUsbHidDeviceController.h"
#include "platform/hid/TUsbHidDeviceReadThread.h"

#include <utility>

std::unique_ptr<TUsbHidDevice> TUsbHidDevice::Create(const HidInterfaceInfo &info,
                                                     TUsbHidDeviceController *controller, QString *error) {
    const char *refused = info.DevicePath.isEmpty() ? "device cannot be opened"
                          : !info.Identified        ? "device cannot be identified"
                                                    : nullptr;
    if (refused) {
        if (error)
            *error = QString::fromLatin1(refused);
        return nullptr;
    }
    return std::unique_ptr<TUsbHidDevice>(new TUsbHidDevice(info, controller));
}

TUsbHidDevice::TUsbHidDevice(const HidInterfaceInfo &info, TUsbHidDeviceController *controller)
    : m_info(info), m_controller(controller) {
    m_attributes = {info.VendorID, info.ProductID, info.VersionNumber};
    if (!controller)
        return;
    m_onData = controller->m_onDeviceData;
    m_onDataError = controller->m_onDeviceDataError;
    m_onUnplug = controller->m_onDeviceUnplug;
    SetThreadSleepTime(controller->DevThreadSleepTime());
}

TUsbHidDevice::~TUsbHidDevice() {
    stopThread();
}

void TUsbHidDevice::readLayout() {
    if (!m_layout)
        m_layout = ParseReportDescriptor(m_info.ReportDescriptor);
}

THidCaps TUsbHidDevice::Caps() {
    readLayout();
    return THidCaps{m_layout->InputReportByteLength};
}

bool TUsbHidDevice::NumberedReports() {
    readLayout();
    return m_layout->NumberedReports;
}

bool TUsbHidDevice::ReadThreadRunning() const {
    return m_thread && m_thread->Running();
}

void TUsbHidDevice::SetOnData(TUsbHidDataEvent event) {
    m_dataFromController = false;
    m_onData = std::move(event);
    if (m_onData)
        startThread();
    else
        stopThread();
}

void TUsbHidDevice::SetOnDataError(TUsbHidDataErrorEvent event) {
    m_dataErrorFromController = false;
    m_onDataError = std::move(event);
}

void TUsbHidDevice::SetOnUnplug(TUsbHidUnplugEvent event) {
    m_unplugFromController = false;
    m_onUnplug = std::move(event);
}

void TUsbHidDevice::SetThreadSleepTime(int ms) {
    if (ms < kMinThreadSleepTime || ms > kMaxThreadSleepTime)
        return;
    m_threadSleepTime = ms;
    if (m_thread)
        m_thread->SetSleepTime(ms);
}

void TUsbHidDevice::startThread() {
    if (!m_onData || !m_pluggedIn || !m_lent || !HasReadWriteAccess() || m_thread || !m_controller)
        return;
    if (Caps().InputReportByteLength <= 0)
        return; // nothing to read from a device without input reports
    const int fd = m_controller->Backend().OpenForReading(m_info);
    if (fd < 0) {
        deliverError(-fd, false);
        return;
    }
    int error = 0;
    m_thread = TUsbHidDeviceReadThread::Start(
        fd, NumberedReports(), m_threadSleepTime, [this](const QByteArray &report) { deliverReport(report); },
        [this](int code, bool gone) { deliverError(code, gone); }, &error);
    if (!m_thread)
        deliverError(error, false);
}

void TUsbHidDevice::stopThread() {
    m_thread.reset();
}

void TUsbHidDevice::unplug() {
    stopThread();
    m_pluggedIn = false;
    if (!m_onUnplug)
        return;
    const TUsbHidUnplugEvent event = std::exchange(m_onUnplug, nullptr);
    event(this);
}

void TUsbHidDevice::deliverReport(const QByteArray &report) {
    if (report.isEmpty() || !m_onData)
        return;
    m_onData(this, quint8(report[0]), report.mid(1));
}

void TUsbHidDevice::deliverError(int error, bool deviceGone) {
    if (deviceGone && m_controller)
        m_controller->deviceGone();
    if (m_onDataError)
        m_onDataError(this, error);
}
