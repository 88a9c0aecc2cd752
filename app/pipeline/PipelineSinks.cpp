// The default bodies of the pipeline's sinks: traces, and the desktop's document and program starts.
#include "app/pipeline/PipelineSinks.h"

#include "common/Trace.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

namespace {
QString hex(const QByteArray &b) {
    return QString::fromLatin1(b.left(256).toHex(' '));
}

// Boxes nobody sees: traced, and every question cancelled.
class TracedMessages : public UserMessages {
public:
    void show(Kind kind, const QString &caption, const QString &text) override {
        ORVA_TRACE("pipeline message", QString::number(int(kind)) + " " + caption + ": " + text);
    }
    Answer ask(Buttons buttons, const QString &caption, const QString &text) override {
        ORVA_TRACE("pipeline question", caption + ": " + text);
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    bool inputBox(const QString &caption, const QString &prompt, QString &) override {
        ORVA_TRACE("pipeline input box", caption + ": " + prompt);
        return false;
    }
    QString openFileName(const QString &caption, const QString &, const QString &) override {
        ORVA_TRACE("pipeline open dialog", caption);
        return {};
    }
    QString saveFileName(const QString &caption, const QString &, const QString &) override {
        ORVA_TRACE("pipeline save dialog", caption);
        return {};
    }
};
} // namespace

void PipelineSinks::WriteString(const QByteArray &text) {
    ORVA_TRACE("pipeline WriteString", hex(text));
}
void PipelineSinks::ExecuteRequest(const QByteArray &requestText) {
    ORVA_TRACE("pipeline ExecuteRequest", hex(requestText));
}
void PipelineSinks::ShowImageList(const QByteArray &names) {
    ORVA_TRACE("pipeline ShowImageList", hex(names));
}
bool PipelineSinks::SetDictationPlayPosition(int milliseconds) {
    ORVA_TRACE("pipeline SetDictationPlayPosition", milliseconds);
    return false;
}
void PipelineSinks::OpenDocument(const QString &path) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
        ORVA_TRACE("client command 1: could not open", path);
    }
}
void PipelineSinks::StartProgram(const QString &program, const QStringList &arguments,
                                 const QString &workingDir) {
    if (!QProcess::startDetached(program, arguments, workingDir)) {
        ORVA_TRACE("client command 1: could not start", program + " " + arguments.join(' '));
    }
}
void PipelineSinks::HostCaptureChanged(bool on) {
    ORVA_TRACE("pipeline HostCaptureChanged", on);
}
void PipelineSinks::ItemTransferReply(const QByteArray &text) {
    ORVA_TRACE("pipeline ItemTransferReply", hex(text));
}
bool PipelineSinks::LocalCaptureWrite(const QByteArray &bytes) {
    ORVA_TRACE("pipeline LocalCaptureWrite", hex(bytes));
    return true;
}
bool PipelineSinks::RawPrintBegin() {
    ORVA_TRACE("pipeline RawPrintBegin", "");
    return true;
}
void PipelineSinks::RawPrintWrite(const QByteArray &bytes) {
    ORVA_TRACE("pipeline RawPrintWrite", hex(bytes));
}
void PipelineSinks::RawPrintEnd() {
    ORVA_TRACE("pipeline RawPrintEnd", "");
}
void PipelineSinks::SendQueuedLines() {
    ORVA_TRACE("pipeline SendQueuedLines", "");
}
void PipelineSinks::SendWhenIdle(const QByteArray &bytes) {
    if (HostLink *link = Link()) {
        link->Send(bytes);
    }
}

void PipelineSinks::ClearSendQueue() {
    ORVA_TRACE("pipeline ClearSendQueue", "");
}
void PipelineSinks::ShowTransferPanel(int progress) {
    ORVA_TRACE("pipeline ShowTransferPanel", progress);
}
void PipelineSinks::HideTransferPanel() {
    ORVA_TRACE("pipeline HideTransferPanel", "");
}
void PipelineSinks::TransferFailed(bool audio) {
    ORVA_TRACE("pipeline TransferFailed", audio);
}
void PipelineSinks::SetBusyCursor(bool busy) {
    ORVA_TRACE("pipeline SetBusyCursor", busy);
}
void PipelineSinks::ShowEditor(const QByteArray &reportMessage) {
    ORVA_TRACE("pipeline ShowEditor", hex(reportMessage));
}
void PipelineSinks::OpenDictationTask(const QByteArray &reportMessage) {
    ORVA_TRACE("pipeline OpenDictationTask", hex(reportMessage));
}
void PipelineSinks::Beep() {
    ORVA_TRACE("pipeline Beep", "");
}
UserMessages &PipelineSinks::Messages() {
    static TracedMessages traced;
    return traced;
}
