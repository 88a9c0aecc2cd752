// orva-hidprobe: every HID interface with its ids, product string, input report length and
// whether this user may read it; with --watch, the dictation actions the pedal and microphone
// produce until interrupted.
#include "dictation/hid/TDictationDevices.h"
#include "platform/hid/HidReportDescriptor.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

QTextStream &out() {
    static QTextStream stream(stdout);
    return stream;
}

QString hex4(quint16 value) {
    return QString::number(value, 16).rightJustified(4, '0');
}

int listInterfaces() {
    const std::unique_ptr<HidBackend> backend = CreateSystemHidBackend();
    const QList<HidInterfaceInfo> found = backend->EnumerateInterfaces();
    if (found.isEmpty())
        out() << "No HID interface found.\n";
    for (const HidInterfaceInfo &device : found) {
        const HidReportLayout layout = ParseReportDescriptor(device.ReportDescriptor);
        const THidAttributes ids{device.VendorID, device.ProductID, device.VersionNumber};
        QString use = "-";
        if (TUsbFootPedal::MatchesProduct(device.ProductString))
            use = "foot pedal";
        else if (TDictationMic::MatchesDevice(ids, layout.InputReportByteLength))
            use = "dictation microphone";
        out() << (device.DevicePath.isEmpty() ? QString("(no node)") : device.DevicePath) << "  "
              << hex4(device.VendorID) << ":" << hex4(device.ProductID) << " rel "
              << hex4(device.VersionNumber) << "  \"" << device.ProductString << "\"  report "
              << layout.InputReportByteLength << (layout.NumberedReports ? " numbered" : "") << "  "
              << (device.Readable ? "readable" : "NOT readable") << "  used as: " << use << "\n";
    }
    out().flush();
    return 0;
}

// Prints what the dictation window would be asked to do.
class PrintingActions : public TDictationDeviceActions {
public:
    bool DeviceActionsAllowed() const override { return true; }
    void ActionQuit() override { say("quit"); }
    void ActionLoad() override { say("load"); }
    void ActionTransmit() override { say("transmit"); }
    void ActionRecord() override { say("record"); }
    void ActionPlayPause() override { say("play/pause"); }
    void ActionForward() override { say("forward 2 s"); }
    void ActionRewind() override { say("rewind 2 s"); }
    void ActionStop() override { say("stop"); }
    void PlayBtn2Click(QObject *) override { say("play"); }
    void PlaybackPause() override { say("pause"); }
    void DeviceActionFailed(const QString &message) override { say("failed: " + message); }

private:
    static void say(const QString &text) {
        out() << text << "\n";
        out().flush();
    }
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    listInterfaces();
    if (!app.arguments().contains("--watch"))
        return 0;
    PrintingActions actions;
    TDictationDevices devices(actions);
    QObject::connect(&devices, &TDictationDevices::DeviceAccessDenied, [](const QString &path) {
        out() << path << ": no access (see the README's udev rule)\n";
    });
    out() << "Watching the foot pedal and the dictation microphone; Ctrl-C ends.\n";
    out().flush();
    return app.exec();
}
