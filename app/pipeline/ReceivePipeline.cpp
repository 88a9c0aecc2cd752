// The receive pipeline's stages.
#include "app/pipeline/ReceivePipeline.h"

#include "common/KeyText.h"
#include "common/Trace.h"
#include "hostforms/protocol/HostProtocol.h"

#include <exception>

namespace {

const QByteArray kPrintStart("\x1B[5i");
const QByteArray kPrintStop("\x1B[4i");
const QByteArray kReportStart("\x02@|");
const QByteArray kReportEnd("|@\x03");
constexpr char BEL = '\x07';
constexpr char ACK = '\x06';
constexpr char NAK = '\x15';

const QString kCaption = QStringLiteral("Orva");
const QString kEditorFolderMessage =
    QStringLiteral("Pendra is not enabled as the Template and/or Abbreviations folder\r\n"
                   "location(s) have not been specified. The selected request can not be displayed.\r\n\r\n"
                   "To resolve this issue, open the options dialog and specify the necessary\r\n"
                   "locations on the 'Word Processing' page.");

QByteArray withoutBytes(const QByteArray &bytes, const QByteArray &drop) {
    QByteArray out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        if (!drop.contains(c)) {
            out += c;
        }
    }
    return out;
}

// The end of `data` that may begin a printer-controller sequence (the earliest ESC among the last
// three bytes from which the rest is a beginning of ESC "[5i" or ESC "[4i").
qsizetype printTailLength(const QByteArray &data) {
    for (qsizetype n = qMin<qsizetype>(3, data.size()); n > 0; --n) {
        const QByteArray tail = data.right(n);
        if (tail[0] == '\x1B' && (kPrintStart.startsWith(tail) || kPrintStop.startsWith(tail))) {
            return n;
        }
    }
    return 0;
}

} // namespace

PipelineSettings PipelineSettings::fromSetup(const TOrvaSettings &setup, const QString &captureDirectory) {
    PipelineSettings p;
    p.KeySetQuery = setup.KeySetQuery;
    p.KeySetReply = setup.KeySetReply;
    p.EnablePCBeep = setup.EnablePCBeep.toLower();
    p.LoginConversation = setup.LoginConversation;
    QString result =
        setup.ResultDirectory.isEmpty() ? SetupFile::DefaultResultDirectory() : setup.ResultDirectory;
    while (result.endsWith('/') || result.endsWith('\\')) {
        result.chop(1);
    }
    p.CaptureDirectory = captureDirectory.isEmpty() ? result + QStringLiteral("/capture") : captureDirectory;
    return p;
}

ReceivePipeline::ReceivePipeline(PipelineSinks &sinks, PipelineSettings settings, PipelineLimits limits)
    : m_sinks(sinks), m_settings(std::move(settings)), m_limits(limits),
      m_commands(
          sinks, [this](std::function<void()> f) { defer(std::move(f)); }, m_settings.CaptureDirectory),
      m_loginConversation(m_settings.LoginConversation) {}

void ReceivePipeline::setSwapIntercepts(const QList<TSwapIntercept> &swaps) {
    m_settings.SwapIntercepts = swaps;
}

void ReceivePipeline::setSettings(PipelineSettings settings) {
    m_settings = std::move(settings);
    m_commands.CaptureDirectory = m_settings.CaptureDirectory;
}

void ReceivePipeline::process(const QByteArray &block) {
    m_queue.append(block);
    if (m_running) {
        return;
    }
    m_running = true;
    while (!m_queue.isEmpty() || !m_deferred.isEmpty()) {
        while (!m_queue.isEmpty()) {
            runGuarded(m_queue.takeFirst());
        }
        while (!m_deferred.isEmpty() && m_queue.isEmpty()) {
            const std::function<void()> f = m_deferred.takeFirst();
            try {
                f();
            } catch (const std::exception &e) {
                ORVA_TRACE("pipeline: a deferred window failed", QString::fromLocal8Bit(e.what()));
            } catch (...) {
                ORVA_TRACE("pipeline: a deferred window failed", "");
            }
        }
    }
    m_running = false;
}

void ReceivePipeline::runGuarded(const QByteArray &block) {
    try {
        runBlock(block);
    } catch (const std::exception &e) {
        reportFailure(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        reportFailure(QStringLiteral("unknown error"));
    }
}

void ReceivePipeline::reportFailure(const QString &message) {
    const QString text = '"' + message + '"' + m_step;
    defer([this, text] {
        m_sinks.Messages().ask(UserMessages::Buttons::OkCancel, QStringLiteral("Error condition detected"),
                               text);
    });
}

void ReceivePipeline::notice(const QString &text) {
    ORVA_TRACE("pipeline notice", text);
    defer([this, text] { m_sinks.Messages().warning(kCaption, text); });
}

void ReceivePipeline::runBlock(const QByteArray &block) {
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. SetLength");
    if (block.isEmpty()) {
        return;
    }
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. Telnet1.Receive");
    // Capture exactly the host's bytes, whatever later stages make of them.
    if (!m_sinks.ItemTransferActive() && m_sinks.LocalCaptureActive()) {
        const QByteArray bytes = withoutBytes(block, QByteArray("\x00\x07", 2));
        if (!bytes.isEmpty() && !m_sinks.LocalCaptureWrite(bytes)) {
            m_sinks.StopLocalCapture();
        }
    }
    QByteArray data = block;
    // A held tail was text before a frame that is still open: it joins the text after the frame.
    if (!m_frameOpen) {
        data.prepend(m_heldTail);
        m_heldTail.clear();
    }

    // Open frame.
    if (m_frameOpen) {
        const qsizetype end = data.indexOf(HostProtocol::kFrameEnd);
        if (end < 0) {
            if (m_frameBuffer.size() + data.size() <= m_limits.Frame) {
                m_frameBuffer += data;
                return;
            }
            data = m_heldTail + m_frameBuffer + data;
            m_heldTail.clear();
            m_frameBuffer.clear();
            m_frameOpen = false;
            notice(QStringLiteral("A host form request was too long; it was ignored and shown as text."));
        } else {
            const QByteArray frame = m_frameBuffer + data.left(end);
            data = m_heldTail + data.mid(end + 1);
            m_heldTail.clear();
            m_frameBuffer.clear();
            m_frameOpen = false;
            m_commands.handleobject(frame);
        }
    }

    // Host capture.
    if (m_commands.Capture.isOn()) {
        data = captureUntilControl(data);
    }

    // New frames.
    data = cutFrames(data);

    // Export/import transfer.
    if (m_sinks.ItemTransferActive()) {
        m_sinks.ItemTransferReply(withoutBytes(block, QByteArray(1, '\x00')));
        return;
    }

    data = printerController(data);

    // Key-set query.
    if (!m_settings.KeySetQuery.isEmpty() && !m_settings.KeySetReply.isEmpty() &&
        data.contains(m_settings.KeySetQuery)) {
        send(m_settings.KeySetReply + '\r');
    }

    // Beep, once per block.
    if (m_settings.EnablePCBeep == "yes" && data.contains(BEL)) {
        m_sinks.Beep();
    }

    if (m_sinks.ResultTransferActive()) {
        data = handshake(data);
    }

    data = reportMessages(data);
}

QByteArray ReceivePipeline::captureUntilControl(const QByteArray &data) {
    qsizetype at = data.indexOf(HostProtocol::kFrameStart);
    while (at >= 0 && data.mid(at + 1, 7).toLower() != "control") {
        at = data.indexOf(HostProtocol::kFrameStart, at + 1);
    }
    m_commands.writeCapture(at < 0 ? data : data.left(at));
    return at < 0 ? QByteArray() : data.mid(at);
}

QByteArray ReceivePipeline::cutFrames(const QByteArray &data) {
    const qsizetype first = data.indexOf(HostProtocol::kFrameStart);
    if (first < 0) {
        return data;
    }
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. handleobject");
    // Text between frames is screen text like any other: had the frames come in reads of their own,
    // it would have been shown, so it must not depend on how the bytes happened to arrive.
    QByteArray shown = data.left(first);
    QByteArray rest = data.mid(first + 1);
    for (;;) {
        const qsizetype end = rest.indexOf(HostProtocol::kFrameEnd);
        if (end < 0) {
            if (rest.size() <= m_limits.Frame) {
                m_frameBuffer = rest;
                m_frameOpen = true;
            } else {
                shown += rest;
                notice(QStringLiteral("A host form request was too long; it was ignored and shown as text."));
            }
            break;
        }
        m_commands.handleobject(rest.left(end));
        rest = rest.mid(end + 1);
        if (m_commands.Capture.isOn()) {
            rest = captureUntilControl(rest);
        }
        const qsizetype next = rest.indexOf(HostProtocol::kFrameStart);
        if (next < 0) {
            shown += rest;
            break;
        }
        shown += rest.left(next);
        rest = rest.mid(next + 1);
    }
    return shown;
}

QByteArray ReceivePipeline::printerController(QByteArray data) {
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. Printer");
    QByteArray gathered;
    for (;;) {
        const qsizetype start = data.indexOf(kPrintStart);
        const qsizetype stop = data.indexOf(kPrintStop);
        if (start < 0 && stop < 0) {
            break;
        }
        const bool isStart = start >= 0 && (stop < 0 || start < stop);
        const qsizetype at = isStart ? start : stop;
        const QByteArray piece = data.left(at);
        data = data.mid(at + 4);
        if (m_printing) {
            printWrite(piece);
            if (!isStart) {
                endPrint();
            }
        } else {
            // Text outside printing goes to the screen; a stray stop sequence is only removed.
            gathered += piece;
            if (isStart) {
                beginPrint();
            }
        }
    }
    // A tail is held only when the next block's bytes will come back to this stage.
    if (!m_commands.Capture.isOn()) {
        const qsizetype n = printTailLength(data);
        m_heldTail = data.right(n);
        data.chop(n);
    }
    if (m_printing) {
        printWrite(data);
    } else {
        gathered += data;
    }
    return gathered;
}

void ReceivePipeline::beginPrint() {
    m_printing = true;
    m_printJobFailed = !m_sinks.RawPrintBegin();
    if (m_printJobFailed) {
        notice(QStringLiteral("The host sent a print job, but it could not be printed."));
    }
}

void ReceivePipeline::printWrite(const QByteArray &bytes) {
    if (!m_printJobFailed && !bytes.isEmpty()) {
        m_sinks.RawPrintWrite(bytes);
    }
}

void ReceivePipeline::endPrint() {
    if (!m_printJobFailed) {
        m_sinks.RawPrintEnd();
    }
    m_printing = false;
    m_printJobFailed = false;
}

QByteArray ReceivePipeline::handshake(QByteArray data) {
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. Result transfer");
    const bool audio = m_sinks.AudioTransfer();
    if (data.contains(BEL) && !data.contains('|')) {
        m_sinks.ClearSendQueue();
        // The user re-saves (or transmits the dictation again), which starts a new upload; left on,
        // the flag would swallow every later screen byte.
        m_sinks.SetResultTransferActive(false);
        if (audio) {
            m_sinks.SetAudioTransfer(false);
            m_sinks.HideTransferPanel();
        } else {
            m_sinks.ShowTransferPanel(0);
        }
        defer([this, audio] { m_sinks.TransferFailed(audio); });
        return {};
    }
    // The bytes are read in order, so that an ACK does not hide a NAK or "|" after it.
    bool acknowledged = false;
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char c = data[i];
        if (c == ACK) {
            if (!acknowledged) {
                acknowledged = true;
                m_sinks.ShowTransferPanel(0);
                m_sinks.SendQueuedLines();
            }
        } else if (c == NAK) {
            // The host abandons this upload and goes on (often with the next report): nothing is
            // brought back, since a reload would land on whatever the host sends next.
            m_sinks.SetResultTransferActive(false);
            m_sinks.SetAudioTransfer(false);
            m_sinks.ClearSendQueue();
            return data.mid(i);
        } else if (c == '|') {
            m_sinks.SetResultTransferActive(false);
            m_sinks.SetAudioTransfer(false);
            m_sinks.HideTransferPanel();
            return data.mid(i + 1);
        }
    }
    return {};
}

QByteArray ReceivePipeline::reportMessages(QByteArray data) {
    data.prepend(m_reportStartTail);
    m_reportStartTail.clear();
    QByteArray toTerminal;
    for (;;) {
        if (m_reportCollecting) {
            // The end marker may straddle the join with the previous block.
            const qsizetype keep = qMin<qsizetype>(kReportEnd.size() - 1, m_reportMessage.size());
            const qsizetype end = (m_reportMessage.right(keep) + data).indexOf(kReportEnd);
            if (end < 0) {
                if (m_reportMessage.size() + data.size() > m_limits.Report) {
                    m_reportCollecting = false;
                    m_reportMessage.clear();
                    m_sinks.SetBusyCursor(false);
                    notice(QStringLiteral("A report from the host was too long and has been dropped."));
                    continue;
                }
                m_reportMessage += data;
                data.clear();
                break;
            }
            const qsizetype inData = end - keep;
            if (inData < 0) {
                m_reportMessage.chop(-inData);
            } else {
                m_reportMessage += data.left(inData);
            }
            data = data.mid(inData + kReportEnd.size());
            m_reportCollecting = false;
            m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. WPEditButtonCLick");
            openReport();
            continue;
        }
        const qsizetype start = data.indexOf(kReportStart);
        if (start < 0) {
            break;
        }
        toTerminal += data.left(start);
        data = data.mid(start + kReportStart.size());
        m_sinks.SetBusyCursor(true);
        m_reportMessage.clear();
        m_reportCollecting = true;
    }
    // A start marker may be split over two blocks: its first bytes wait for the next one.
    if (data.endsWith("\x02@")) {
        m_reportStartTail = data.right(2);
    } else if (data.endsWith('\x02')) {
        m_reportStartTail = data.right(1);
    }
    data.chop(m_reportStartTail.size());
    toTerminal += data;
    OutPuttoTerm(toTerminal);
    return {};
}

void ReceivePipeline::openReport() {
    const QByteArray body = m_reportMessage;
    m_sinks.SetBusyCursor(false);
    if (body.left(50).toUpper().contains("KX_AUDIOONLY~1")) {
        defer([this, body] { m_sinks.OpenDictationTask(body); });
        return;
    }
    // WPEditButtonClick from the receive path.
    if (m_sinks.EditorFoldersSet()) {
        m_sinks.SetResultTransferActive(false);
        m_sinks.SetAudioTransfer(false);
        defer([this, body] { m_sinks.ShowEditor(body); });
        return;
    }
    send(QByteArray(1, '\x1B'));
    defer([this] { m_sinks.Messages().error(kCaption, kEditorFolderMessage); });
}

void ReceivePipeline::OutPuttoTerm(const QByteArray &text) {
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive: OutPuttoTerm");
    // Substitutions apply to screen text only, never to reports or handshake bytes.
    const QByteArray shown = SwapIntercepts::apply(m_settings.SwapIntercepts, text);
    writeTerminal(shown);
    if (!m_loginAnswered && !m_loginConversation.isEmpty()) {
        // Prompt and reply are decoded apart: a decoded quote must not end either of them early.
        const auto decoded = [](const QByteArray &t) {
            return KeyText::BytesToSend(KeyText::DecodeKeyText(t));
        };
        const QByteArray prompt = decoded(SetupFile::LoginPrompt(m_loginConversation));
        if (!prompt.isEmpty() && shown.contains(prompt)) {
            send(decoded(SetupFile::LoginReply(m_loginConversation)) + '\n');
            m_loginConversation = m_settings.LoginConversation;
            m_loginAnswered = true;
        }
    }
    m_step = QStringLiteral("Error Condition encountered in the Telnet Receive. AFTER OutPuttoTerm");
}

void ReceivePipeline::writeTerminal(const QByteArray &text) {
    if (text.isEmpty()) {
        return;
    }
    if (!m_selectionHold) {
        m_sinks.WriteString(text);
        return;
    }
    m_heldText += text;
    if (m_heldText.size() > m_limits.HeldText) {
        setSelectionHold(false);
    }
}

void ReceivePipeline::setSelectionHold(bool on) {
    m_selectionHold = on;
    if (!on && !m_heldText.isEmpty()) {
        const QByteArray text = m_heldText;
        m_heldText.clear();
        m_sinks.WriteString(text);
    }
}

void ReceivePipeline::send(const QByteArray &bytes) {
    if (HostLink *link = m_sinks.Link()) {
        link->Send(bytes);
    }
}

void ReceivePipeline::reset() {
    m_frameOpen = false;
    m_frameBuffer.clear();
    m_heldTail.clear();
    m_reportStartTail.clear();
    if (m_reportCollecting) {
        m_reportCollecting = false;
        m_reportMessage.clear();
        m_sinks.SetBusyCursor(false);
    }
    if (m_printing) {
        endPrint();
    }
    setSelectionHold(false);
    m_sinks.EndItemTransfer();
    m_sinks.SetResultTransferActive(false);
    m_sinks.SetAudioTransfer(false);
}

void ReceivePipeline::connectionStarted() {
    reset();
    m_loginAnswered = false;
    m_loginConversation = m_settings.LoginConversation;
}

void ReceivePipeline::Telnet1Send() {
    if (m_sinks.ResultTransferActive()) {
        m_sinks.SendQueuedLines();
    }
}

void ReceivePipeline::Telnet1SendText(const QByteArray &text) {
    if (text.isEmpty()) {
        return;
    }
    // An upload under way keeps its lines and its flags: the text follows once it ends. Sent now, the
    // window's ESC would land between the upload's lines, and the audio flag would make the host's
    // refusal of a report look like the refusal of a dictation.
    if (m_sinks.ResultTransferActive()) {
        m_sinks.SendWhenIdle(text);
        return;
    }
    send(text);
    if (text != "\x1B") {
        m_sinks.SetResultTransferActive(true);
    }
    m_sinks.SetAudioTransfer(true);
}
