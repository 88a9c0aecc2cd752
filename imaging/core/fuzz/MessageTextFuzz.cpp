// Fuzz target for the scrolling (".SCM") and credit (".CMS") message readers: any input either
// parses or raises the conversion error the controls catch, nothing else.
#include "imaging/core/ErrorInvalid.h"
#include "imaging/core/MessageText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace orva::imaging;
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TMessageFont font;
    int speed = 0;
    std::uint32_t back = 0;
    try {
        QString message;
        ParseScrollingMessage(text, font, speed, message, back);
        if (message.size() > kMaxMessageChars)
            __builtin_trap();
    } catch (const ErrorInvalid &) {
    }
    try {
        QStringList lines;
        ParseCreditMessage(text, font, speed, lines, back);
    } catch (const ErrorInvalid &) {
    }
    return 0;
}
