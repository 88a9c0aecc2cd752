// hidraw enumeration and hot-plug on libudev.
#include "platform/hid/UdevHidBackend.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <libudev.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Largest report descriptor the HID standard allows a device to report.
constexpr qint64 kMaxDescriptorSize = 4096;

QByteArray sysattr(struct udev_device *device, const char *name) {
    const char *value = udev_device_get_sysattr_value(device, name);
    return value ? QByteArray(value).trimmed() : QByteArray();
}

bool parseHex16(const QByteArray &text, quint16 &value) {
    bool ok = false;
    const uint parsed = text.toUInt(&ok, 16);
    if (!ok || parsed > 0xFFFF)
        return false;
    value = quint16(parsed);
    return true;
}

// USB devices carry their ids, release number and product string on the usb_device parent.
bool identifyUsb(struct udev_device *hidraw, HidInterfaceInfo &info) {
    struct udev_device *usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device");
    if (!usb)
        return false;
    if (!parseHex16(sysattr(usb, "idVendor"), info.VendorID) ||
        !parseHex16(sysattr(usb, "idProduct"), info.ProductID))
        return false;
    parseHex16(sysattr(usb, "bcdDevice"), info.VersionNumber);
    info.ProductString = QString::fromUtf8(sysattr(usb, "product"));
    return true;
}

// Other buses (Bluetooth, I2C) name the device in the hid parent's "HID_ID=bus:vendor:product".
bool identifyHid(struct udev_device *hid, HidInterfaceInfo &info) {
    const QList<QByteArray> id = QByteArray(udev_device_get_property_value(hid, "HID_ID")).split(':');
    if (id.size() != 3)
        return false;
    bool vendorOk = false;
    bool productOk = false;
    const uint vendor = id[1].toUInt(&vendorOk, 16);
    const uint product = id[2].toUInt(&productOk, 16);
    if (!vendorOk || !productOk || vendor > 0xFFFF || product > 0xFFFF)
        return false;
    info.VendorID = quint16(vendor);
    info.ProductID = quint16(product);
    info.ProductString = QString::fromUtf8(udev_device_get_property_value(hid, "HID_NAME"));
    return true;
}

QByteArray readDescriptor(struct udev_device *hid) {
    QFile file(QString::fromUtf8(udev_device_get_syspath(hid)) + "/report_descriptor");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return file.read(kMaxDescriptorSize);
}

bool isCharacterDevice(const char *path) {
    struct stat status {};
    return path && ::stat(path, &status) == 0 && S_ISCHR(status.st_mode);
}

HidInterfaceInfo describe(struct udev_device *hidraw) {
    HidInterfaceInfo info;
    info.DeviceInstance = QString::fromUtf8(udev_device_get_syspath(hidraw));
    const char *node = udev_device_get_devnode(hidraw);
    if (isCharacterDevice(node)) {
        info.DevicePath = QString::fromUtf8(node);
        info.Readable = ::access(node, R_OK) == 0;
    }
    struct udev_device *hid = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
    info.Identified = identifyUsb(hidraw, info) || (hid && identifyHid(hid, info));
    if (hid)
        info.ReportDescriptor = readDescriptor(hid);
    return info;
}

} // namespace

UdevHidBackend::UdevHidBackend(QObject *parent) : HidBackend(parent) {
    m_udev = udev_new();
    if (!m_udev) {
        qCWarning(orvaHid) << "udev is not available: no HID device will be found";
        return;
    }
    // The "udev" source reports a device after its rules ran, so the node's access is settled.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor && udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) >= 0 &&
        udev_monitor_enable_receiving(m_monitor) >= 0) {
        m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &UdevHidBackend::monitorReadable);
        return;
    }
    qCWarning(orvaHid) << "udev's device monitor is not available: devices plugged in later are not noticed";
    if (m_monitor)
        m_monitor = udev_monitor_unref(m_monitor);
}

UdevHidBackend::~UdevHidBackend() {
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

QList<HidInterfaceInfo> UdevHidBackend::EnumerateInterfaces() {
    QList<HidInterfaceInfo> found;
    if (!m_udev)
        return found;
    struct udev_enumerate *enumerate = udev_enumerate_new(m_udev);
    if (!enumerate)
        return found;
    if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") >= 0 &&
        udev_enumerate_scan_devices(enumerate) >= 0) {
        struct udev_list_entry *entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
            struct udev_device *device =
                udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(entry));
            if (!device)
                continue; // removed while we looked
            found << describe(device);
            udev_device_unref(device);
        }
    }
    udev_enumerate_unref(enumerate);
    return found;
}

int UdevHidBackend::OpenForReading(const HidInterfaceInfo &device) {
    if (device.DevicePath.isEmpty())
        return -ENODEV;
    const int fd =
        ::open(QFile::encodeName(device.DevicePath).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    return fd >= 0 ? fd : -errno;
}

void UdevHidBackend::monitorReadable() {
    bool changed = false;
    while (struct udev_device *device = udev_monitor_receive_device(m_monitor)) {
        const QByteArray action = udev_device_get_action(device);
        changed = changed || action == "add" || action == "remove";
        udev_device_unref(device);
    }
    if (changed)
        emit DeviceSetChanged();
}
