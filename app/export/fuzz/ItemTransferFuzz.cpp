// A transfer fed arbitrary host replies cut into arbitrary blocks, from an arbitrary export file,
// with the user's answers, a cancel and a close at arbitrary points: it must not crash, its state
// must agree with whether it runs, and no line it types may carry a CR of its own.
#include "app/export/ItemTransfer.h"
#include "common/testing/FakeHostLink.h"
#include "common/testing/RecordingMessages.h"

#include <QCoreApplication>
#include <QFile>
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
    static int argc = 1;
    static char name[] = "item_transfer_fuzz";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    if (size < 3) {
        return 0;
    }
    const uint8_t flags = data[0];
    const size_t fileSize = std::min<size_t>(data[1], size - 2);
    const QByteArray file(reinterpret_cast<const char *>(data + 2), qsizetype(fileSize));
    const QByteArray host(reinterpret_cast<const char *>(data + 2 + fileSize),
                          qsizetype(size - 2 - fileSize));

    const QString path = dir.filePath(QStringLiteral("export.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(file) != file.size()) {
            return 0;
        }
    }
    FakeHostLink link(LinkState::Connected);
    RecordingMessages messages;
    for (int i = 0; i < 4; ++i) {
        messages.replies.append((flags >> (4 + i)) & 1 ? UserMessages::Answer::Yes
                                                       : UserMessages::Answer::No);
    }
    QList<std::function<void()>> deferred;
    ItemTransfer transfer(link, messages,
                          [&deferred](std::function<void()> f) { deferred.append(std::move(f)); });

    ItemTransfer::Request request;
    request.Import = flags & 1;
    request.WinFile = path;
    request.D3File = QStringLiteral("F");
    request.D3Item = QStringLiteral("I");
    request.SendLineEndings = flags & 2;
    if (!transfer.Start(request)) {
        check(!transfer.Active());
        return 0;
    }
    const qsizetype cancelAt = (flags & 4) ? host.size() / 2 : -1;
    qsizetype at = 0;
    uint32_t cut = flags;
    while (at < host.size()) {
        cut = cut * 1103515245u + 12345u;
        const qsizetype length = 1 + qsizetype((cut >> 16) % 24);
        if (cancelAt >= 0 && at <= cancelAt && cancelAt < at + length) {
            transfer.Cancel();
        }
        transfer.Reply(host.mid(at, length));
        at += length;
        while (!deferred.isEmpty()) {
            deferred.takeFirst()();
        }
        check(transfer.Active() == (transfer.State() != ItemTransfer::Idle));
    }
    if (flags & 8) {
        transfer.Close();
    } else {
        transfer.End();
    }
    check(!transfer.Active());
    // Lines typed into the editor end in their one CR; the commands around them are fixed texts.
    if (!request.Import) {
        for (const QByteArray &line : ItemTransfer::SplitLines(file)) {
            const QByteArray typed = ItemTransfer::EditorLine(line);
            check(typed.indexOf('\r') == -1 || typed.indexOf('\r') == typed.size() - 1);
        }
    }
    return 0;
}
