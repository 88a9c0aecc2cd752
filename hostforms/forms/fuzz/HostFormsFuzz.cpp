// Object requests of any shape through the parser and the dispatcher: creation of every type,
// unknown types, huge numbers, repeated names, menu trees and control actions. The browser only
// records its address and files are read only from a private temporary folder.
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/forms/fuzz/HostFormsFuzzEnv.h"

#include <QDir>
#include <QEvent>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static HostFormsFuzzEnv env;
    // Requests are separated by the frame end byte, as the pipeline would cut them.
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QByteArray> requests = input.split('\x9B');
    int n = 0;
    for (const QByteArray &r : requests) {
        if (++n > 24) {
            break;
        }
        env.frm->ExecuteRequest(r);
    }
    env.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
