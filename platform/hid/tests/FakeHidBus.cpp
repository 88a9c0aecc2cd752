// The simulated machine behind FakeHidBus's backends.
#include "platform/hid/tests/FakeHidBus.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

class FakeHidBus::Backend : public HidBackend {
public:
    explicit Backend(FakeHidBus &bus) : m_bus(bus) {}

    QList<HidInterfaceInfo> EnumerateInterfaces() override {
        ++m_bus.m_enumerations;
        QList<HidInterfaceInfo> found;
        for (const Device &device : m_bus.m_devices)
            found << device.info;
        return found;
    }

    int OpenForReading(const HidInterfaceInfo &info) override {
        for (Device &device : m_bus.m_devices) {
            if (device.info.DeviceInstance != info.DeviceInstance)
                continue;
            if (device.openError)
                return -device.openError;
            int ends[2];
            // Sequenced packets keep report boundaries, as hidraw does.
            if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
                return -errno;
            ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
            device.peers << ends[1];
            return ends[0];
        }
        return -ENODEV;
    }

    void announce() { emit DeviceSetChanged(); }

private:
    FakeHidBus &m_bus;
};

FakeHidBus::~FakeHidBus() {
    for (Device &device : m_devices)
        closePeers(device);
}

std::unique_ptr<HidBackend> FakeHidBus::NewBackend() {
    auto backend = std::make_unique<Backend>(*this);
    m_backends << QPointer<HidBackend>(backend.get());
    return backend;
}

void FakeHidBus::Plug(const HidInterfaceInfo &device) {
    m_devices << Device{device, {}, 0};
    notifyAll();
}

void FakeHidBus::Unplug(const QString &instance) {
    UnplugQuietly(instance);
    notifyAll();
}

void FakeHidBus::UnplugQuietly(const QString &instance) {
    for (qsizetype i = 0; i < m_devices.size(); ++i) {
        if (m_devices[i].info.DeviceInstance != instance)
            continue;
        closePeers(m_devices[i]);
        m_devices.removeAt(i);
        return;
    }
}

void FakeHidBus::Send(const QString &instance, const QByteArray &bytes) {
    for (Device &device : m_devices) {
        if (device.info.DeviceInstance != instance)
            continue;
        for (qsizetype i = device.peers.size() - 1; i >= 0; --i) {
            // A reader that has been stopped closed its end: forget ours.
            if (::send(device.peers[i], bytes.constData(), size_t(bytes.size()),
                       MSG_NOSIGNAL | MSG_DONTWAIT) < 0 &&
                errno == EPIPE) {
                ::close(device.peers[i]);
                device.peers.removeAt(i);
            }
        }
    }
}

void FakeHidBus::SetOpenError(const QString &instance, int error) {
    for (Device &device : m_devices)
        if (device.info.DeviceInstance == instance)
            device.openError = error;
}

int FakeHidBus::OpenHandles(const QString &instance) const {
    for (const Device &device : m_devices) {
        if (device.info.DeviceInstance != instance)
            continue;
        int open = 0;
        for (const int peer : device.peers) {
            char probe;
            // Our end reads EOF (0) once the reader closed its end; -1/EAGAIN while it is open.
            if (::recv(peer, &probe, 1, MSG_DONTWAIT | MSG_PEEK) != 0)
                ++open;
        }
        return open;
    }
    return 0;
}

HidInterfaceInfo FakeHidBus::UsbDevice(const QString &instance, quint16 vendor, quint16 product,
                                       quint16 version, const QString &productString, int dataBytes) {
    HidInterfaceInfo info;
    info.DevicePath = "/dev/fake-" + instance;
    info.DeviceInstance = instance;
    info.Identified = true;
    info.VendorID = vendor;
    info.ProductID = product;
    info.VersionNumber = version;
    info.ProductString = productString;
    // Usage page, usage, collection; 8-bit fields, n of them, input; end collection.
    info.ReportDescriptor = QByteArray::fromHex("0600ff0901a101750895") + QByteArray(1, char(dataBytes)) +
                            QByteArray::fromHex("8102c0");
    info.Readable = true;
    return info;
}

void FakeHidBus::notifyAll() {
    for (const QPointer<HidBackend> &backend : m_backends)
        if (backend)
            static_cast<Backend *>(backend.data())->announce();
}

void FakeHidBus::closePeers(Device &device) {
    for (const int peer : device.peers)
        ::close(peer);
    device.peers.clear();
}
