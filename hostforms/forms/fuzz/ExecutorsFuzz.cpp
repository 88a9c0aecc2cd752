// Request types 2 to 7 of any shape on a workspace holding one control of every type (built by the
// same fixed script before every input): destroy, move, clear, control actions, update and query.
// Each request is a piece of the input cut at 0x9B: its first byte picks the object, its second the
// request type and sub-action, the rest are the fields from 3 on.
#include "hostforms/forms/TWinpickFrm.h"
#include "hostforms/forms/fuzz/HostFormsFuzzEnv.h"

#include <QEvent>
#include <cstddef>
#include <cstdint>

namespace {

const char *const kNames[] = {"ws",      "ws.ed",  "ws.lbl",   "ws.memo", "ws.rich",  "ws.list", "ws.combo",
                              "ws.img",  "ws.btn", "ws.split", "ws.pnl",  "ws.radio", "ws.chk",  "ws.web",
                              "ws.grid", "ws.bev", "ws.res",   "ws.pp",   "screen",   "ws.none", "none.x"};

const char *const kScript[] = {
    "ws\x03"
    "1\x03"
    "1\x03\x03\x03"
    "600\x03"
    "400\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03wsev",
    "ed\x03"
    "1\x03"
    "2\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03"
    "click,change,keydown\x03Name\x03"
    "abc",
    "lbl\x03"
    "1\x03"
    "3\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03"
    "Caption",
    "memo\x03"
    "1\x03"
    "4\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03"
    "change\x03\x03vert\x03n\x03y\x03one",
    "rich\x03"
    "1\x03"
    "5\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03\x03\x03\x03\x03{\\rtf1 x}",
    "list\x03"
    "1\x03"
    "6\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03"
    "0\x03"
    "a\x03"
    "b",
    "combo\x03"
    "1\x03"
    "7\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03"
    "0\x03"
    "a\x03"
    "b",
    "img\x03"
    "1\x03"
    "8\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03",
    "btn\x03"
    "1\x03"
    "10\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03Go",
    "split\x03"
    "1\x03"
    "11\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03",
    "pnl\x03"
    "1\x03"
    "12\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03Panel",
    "radio\x03"
    "1\x03"
    "13\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03R\x03r\x03y",
    "chk\x03"
    "1\x03"
    "13\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03"
    "C\x03"
    "c\x03y",
    "web\x03"
    "1\x03"
    "15\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03",
    "grid\x03"
    "1\x03"
    "16\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03"
    "change\x03"
    "1,1\x03"
    "1,0\x03n\x03y\x03"
    "0\x03h1]h2\x03"
    "a]b",
    "bev\x03"
    "1\x03"
    "21\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03",
    "res\x03"
    "1\x03"
    "22\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03"
    "change,save\x03\x03pp\x03pp\x03"
    "1\x03"
    "\x03<LAYOUT_DATA>\x03x\x03y\x03"
    "A @\x04"
    "B @\x03"
    "1\x05"
    "3\x05\x05"
    "4\x04"
    "2\x05"
    "3\x05\x05"
    "4\x03"
    "1\x04"
    "2\x03-\x03\x04"
    "1\x05"
    "2\x05"
    "1\x03-\x03jump 2\x03<RESULT_DATA>5\x04"
    "7",
    "pp\x03"
    "1\x03"
    "23\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03\x03ws\x03\x03\x03Print",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static HostFormsFuzzEnv env;
    for (const char *line : kScript) {
        env.frm->ExecuteRequest(QByteArray(line));
    }
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    int n = 0;
    for (const QByteArray &piece : input.split('\x9B')) {
        if (++n > 16 || piece.size() < 2) {
            continue;
        }
        const auto pick = static_cast<unsigned char>(piece[0]);
        const auto type = static_cast<unsigned char>(piece[1]);
        const QByteArray name = kNames[pick % (sizeof(kNames) / sizeof(kNames[0]))];
        QByteArray requestType = QByteArray::number(2 + type % 6);
        if (type & 0x80) {
            requestType += '.' + QByteArray::number((type >> 3) % 10);
        }
        env.frm->ExecuteRequest(name + '\x03' + requestType + '\x03' + piece.mid(2));
        QCoreApplication::processEvents();
    }
    env.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
