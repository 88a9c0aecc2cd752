// Fuzz target for the scrolling (".SCM") and credit (".CMS") message readers: any input either
// parses or is refused with the conversion message the controls report, nothing else.
#include "imaging/core/MessageText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace orva::imaging;
    const QByteArray text(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TMessageFont font;
    int speed = 0;
    std::uint32_t back = 0;
    QString message;
    QString why;
    if (!ParseScrollingMessage(text, font, speed, message, back, &why) && why.isEmpty())
        __builtin_trap();
    if (message.size() > kMaxMessageChars)
        __builtin_trap();
    QStringList lines;
    why.clear();
    if (!ParseCreditMessage(text, font, speed, lines, back, &why) && why.isEmpty())
        __builtin_trap();
    return 0;
}
