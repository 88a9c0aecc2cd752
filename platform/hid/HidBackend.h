// The machine's HID interfaces as the device controller sees them: what is present, how each is
// identified, and a handle to read its input reports. The system backend works on hidraw and
// udev; tests put a simulated machine behind the same interface.
#pragma once

#include <QByteArray>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(orvaHid)

// One present HID interface, with everything that can be learned without opening it.
struct HidInterfaceInfo {
    QString DevicePath;      // device node to read from ("/dev/hidraw3"); empty when there is none
    QString DeviceInstance;  // stable name of the interface while it stays plugged in (udev syspath)
    bool Identified = false; // vendor and product ids are known
    quint16 VendorID = 0;
    quint16 ProductID = 0;
    quint16 VersionNumber = 0; // the USB release number (bcdDevice); 0 when not on USB
    QString ProductString;
    QByteArray ReportDescriptor;
    bool Readable = false; // this user may open the node for reading
};

class HidBackend : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HidBackend() override;

    virtual QList<HidInterfaceInfo> EnumerateInterfaces() = 0;
    // A non-blocking, close-on-exec descriptor for reading input reports, or -errno.
    virtual int OpenForReading(const HidInterfaceInfo &device) = 0;

signals:
    // Something was plugged in or removed; the receiver enumerates again.
    void DeviceSetChanged();
};

// The backend of this machine (hidraw and udev, with hot-plug when udev's monitor is available).
std::unique_ptr<HidBackend> CreateSystemHidBackend();
