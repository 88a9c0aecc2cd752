// Arbitrary host bytes cut into arbitrary blocks, with resets between some of them: the pipeline
// must not crash, and what it keeps between blocks must stay within its bounds.
#include "app/pipeline/ReceivePipeline.h"
#include "app/pipeline/tests/RecordingSinks.h"

#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

void check(bool ok) {
    if (!ok) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static QTemporaryDir captureDir;
    if (size < 3) {
        return 0;
    }
    const uint8_t flags = data[0];
    const size_t cuts = 1 + data[1] % 16; // block length bytes that follow
    if (size < 2 + cuts) {
        return 0;
    }
    const uint8_t *lengths = data + 2;
    const QByteArray stream(reinterpret_cast<const char *>(data + 2 + cuts), qsizetype(size - 2 - cuts));

    RecordingSinks sinks;
    sinks.transferActive = flags & 1;
    sinks.audio = flags & 2;
    sinks.foldersSet = flags & 4;
    sinks.localCapture = flags & 8;
    sinks.printerAvailable = !(flags & 16);
    sinks.itemTransfer = flags & 32;
    PipelineSettings settings;
    settings.KeySetQuery = "who";
    settings.KeySetReply = "me";
    settings.EnablePCBeep = "yes";
    settings.LoginConversation = "see \"in:\" answer \"u\"";
    settings.SwapIntercepts = {{"a", "bb"}, {"\x1B[31m", "\x1B[32m"}};
    settings.CaptureDirectory = captureDir.path();
    PipelineLimits limits;
    limits.Frame = 256;
    limits.Report = 4096;
    limits.HeldText = 4096;
    ReceivePipeline p(sinks, settings, limits);
    p.setSelectionHold(flags & 64);

    qsizetype pos = 0;
    for (size_t i = 0; pos < stream.size(); i = (i + 1) % cuts) {
        const uint8_t n = lengths[i];
        if (n == 0) {
            (flags & 128) ? p.connectionStarted() : p.reset();
            check(!p.frameOpen() && !p.printing() && !p.reportCollecting() && p.heldTail().isEmpty());
            // Keep going: a length of 0 alone would loop forever.
            p.process(stream.mid(pos, 1));
            ++pos;
            continue;
        }
        p.process(stream.mid(pos, n));
        pos += n;
        check(p.frameBuffer().size() <= limits.Frame);
        check(p.reportMessage().size() <= limits.Report);
        check(p.heldTail().size() <= 3);
        check(p.heldTextSize() <= limits.HeldText);
    }
    p.commands().Capture.close();
    return 0;
}
