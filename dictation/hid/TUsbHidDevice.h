// One HID interface known to a device controller: its ids, product string and input report
// layout, whether it is plugged in and lent, and the reader that delivers its input reports.
#pragma once

#include "platform/hid/HidBackend.h"
#include "platform/hid/HidReportDescriptor.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class TUsbHidDevice;
class TUsbHidDeviceController;
class TUsbHidDeviceReadThread;

struct THidAttributes {
    quint16 VendorID = 0;
    quint16 ProductID = 0;
    quint16 VersionNumber = 0;
};

struct THidCaps {
    int InputReportByteLength = 0; // largest input report in bytes + 1 (the report-ID byte)
};

using TUsbHidDataEvent = std::function<void(TUsbHidDevice *device, quint8 reportId, const QByteArray &data)>;
using TUsbHidDataErrorEvent = std::function<void(TUsbHidDevice *device, int error)>;
using TUsbHidUnplugEvent = std::function<void(TUsbHidDevice *device)>;

class TUsbHidDevice {
public:
    static constexpr int kMinThreadSleepTime = 10;
    static constexpr int kMaxThreadSleepTime = 10000;

    // The device of an interface; null for one that cannot be used, which the controller leaves
    // out, with the reason in `error`: "device cannot be opened" when the interface has no node,
    // "device cannot be identified" when its ids are unknown.
    static std::unique_ptr<TUsbHidDevice>
    Create(const HidInterfaceInfo &info, TUsbHidDeviceController *controller, QString *error = nullptr);
    ~TUsbHidDevice();
    TUsbHidDevice(const TUsbHidDevice &) = delete;
    TUsbHidDevice &operator=(const TUsbHidDevice &) = delete;

    const QString &DevicePath() const { return m_info.DevicePath; }
    const QString &DeviceInstance() const { return m_info.DeviceInstance; }
    const QString &ProductName() const { return m_info.ProductString; }
    const THidAttributes &Attributes() const { return m_attributes; }
    // Read from the report descriptor on first use.
    THidCaps Caps();
    bool NumberedReports();

    bool PluggedIn() const { return m_pluggedIn; }
    bool IsLent() const { return m_lent; }
    // The user may read the device (on Linux reading needs no write access).
    bool HasReadWriteAccess() const { return m_info.Readable; }
    bool ReadThreadRunning() const;

    // The kernel keeps a fixed queue of reports per open node, so there is nothing to set.
    bool SetNumInputBuffers(int count) { return count > 0; }

    // Setting the data event starts the reader when the device may be read; clearing it stops it.
    void SetOnData(TUsbHidDataEvent event);
    void SetOnDataError(TUsbHidDataErrorEvent event);
    void SetOnUnplug(TUsbHidUnplugEvent event);
    bool HasOnData() const { return bool(m_onData); }

    int ThreadSleepTime() const { return m_threadSleepTime; }
    // Values outside 10..10000 ms are refused (the time stays as it was).
    void SetThreadSleepTime(int ms);

private:
    friend class TUsbHidDeviceController;

    TUsbHidDevice(const HidInterfaceInfo &info, TUsbHidDeviceController *controller);

    void startThread();
    void stopThread();
    void unplug();
    void deliverReport(const QByteArray &report);
    void deliverError(int error, bool deviceGone);
    void readLayout();

    HidInterfaceInfo m_info;
    TUsbHidDeviceController *m_controller;
    THidAttributes m_attributes;
    std::optional<HidReportLayout> m_layout;
    bool m_pluggedIn = true;
    bool m_lent = false;
    int m_threadSleepTime = 100;
    TUsbHidDataEvent m_onData;
    TUsbHidDataErrorEvent m_onDataError;
    TUsbHidUnplugEvent m_onUnplug;
    // The events still are the controller's own (its setters then change them too).
    bool m_dataFromController = true;
    bool m_dataErrorFromController = true;
    bool m_unplugFromController = true;
    std::unique_ptr<TUsbHidDeviceReadThread> m_thread;
};
