// Glyph codes to Unicode: the graphics font's glyphs are PC code page 437 (with the OEM pictures in
// 0x01-0x1F and 0x7F), the terminal font's are Windows-1252 (its five undefined bytes show U+FFFD).
#include "terminal/core/TVtGlyphCodePage.h"

#include "common/HostText.h"

namespace {
const char16_t kCp437[256] = {
    u'\x0020', u'\x263A', u'\x263B', u'\x2665', u'\x2666', u'\x2663', u'\x2660', u'\x2022', // 00
    u'\x25D8', u'\x25CB', u'\x25D9', u'\x2642', u'\x2640', u'\x266A', u'\x266B', u'\x263C', // 08
    u'\x25BA', u'\x25C4', u'\x2195', u'\x203C', u'\x00B6', u'\x00A7', u'\x25AC', u'\x21A8', // 10
    u'\x2191', u'\x2193', u'\x2192', u'\x2190', u'\x221F', u'\x2194', u'\x25B2', u'\x25BC', // 18
    u'\x0020', u'\x0021', u'\x0022', u'\x0023', u'\x0024', u'\x0025', u'\x0026', u'\x0027', // 20
    u'\x0028', u'\x0029', u'\x002A', u'\x002B', u'\x002C', u'\x002D', u'\x002E', u'\x002F', // 28
    u'\x0030', u'\x0031', u'\x0032', u'\x0033', u'\x0034', u'\x0035', u'\x0036', u'\x0037', // 30
    u'\x0038', u'\x0039', u'\x003A', u'\x003B', u'\x003C', u'\x003D', u'\x003E', u'\x003F', // 38
    u'\x0040', u'\x0041', u'\x0042', u'\x0043', u'\x0044', u'\x0045', u'\x0046', u'\x0047', // 40
    u'\x0048', u'\x0049', u'\x004A', u'\x004B', u'\x004C', u'\x004D', u'\x004E', u'\x004F', // 48
    u'\x0050', u'\x0051', u'\x0052', u'\x0053', u'\x0054', u'\x0055', u'\x0056', u'\x0057', // 50
    u'\x0058', u'\x0059', u'\x005A', u'\x005B', u'\x005C', u'\x005D', u'\x005E', u'\x005F', // 58
    u'\x0060', u'\x0061', u'\x0062', u'\x0063', u'\x0064', u'\x0065', u'\x0066', u'\x0067', // 60
    u'\x0068', u'\x0069', u'\x006A', u'\x006B', u'\x006C', u'\x006D', u'\x006E', u'\x006F', // 68
    u'\x0070', u'\x0071', u'\x0072', u'\x0073', u'\x0074', u'\x0075', u'\x0076', u'\x0077', // 70
    u'\x0078', u'\x0079', u'\x007A', u'\x007B', u'\x007C', u'\x007D', u'\x007E', u'\x2302', // 78
    u'\x00C7', u'\x00FC', u'\x00E9', u'\x00E2', u'\x00E4', u'\x00E0', u'\x00E5', u'\x00E7', // 80
    u'\x00EA', u'\x00EB', u'\x00E8', u'\x00EF', u'\x00EE', u'\x00EC', u'\x00C4', u'\x00C5', // 88
    u'\x00C9', u'\x00E6', u'\x00C6', u'\x00F4', u'\x00F6', u'\x00F2', u'\x00FB', u'\x00F9', // 90
    u'\x00FF', u'\x00D6', u'\x00DC', u'\x00A2', u'\x00A3', u'\x00A5', u'\x20A7', u'\x0192', // 98
    u'\x00E1', u'\x00ED', u'\x00F3', u'\x00FA', u'\x00F1', u'\x00D1', u'\x00AA', u'\x00BA', // A0
    u'\x00BF', u'\x2310', u'\x00AC', u'\x00BD', u'\x00BC', u'\x00A1', u'\x00AB', u'\x00BB', // A8
    u'\x2591', u'\x2592', u'\x2593', u'\x2502', u'\x2524', u'\x2561', u'\x2562', u'\x2556', // B0
    u'\x2555', u'\x2563', u'\x2551', u'\x2557', u'\x255D', u'\x255C', u'\x255B', u'\x2510', // B8
    u'\x2514', u'\x2534', u'\x252C', u'\x251C', u'\x2500', u'\x253C', u'\x255E', u'\x255F', // C0
    u'\x255A', u'\x2554', u'\x2569', u'\x2566', u'\x2560', u'\x2550', u'\x256C', u'\x2567', // C8
    u'\x2568', u'\x2564', u'\x2565', u'\x2559', u'\x2558', u'\x2552', u'\x2553', u'\x256B', // D0
    u'\x256A', u'\x2518', u'\x250C', u'\x2588', u'\x2584', u'\x258C', u'\x2590', u'\x2580', // D8
    u'\x03B1', u'\x00DF', u'\x0393', u'\x03C0', u'\x03A3', u'\x03C3', u'\x00B5', u'\x03C4', // E0
    u'\x03A6', u'\x0398', u'\x03A9', u'\x03B4', u'\x221E', u'\x03C6', u'\x03B5', u'\x2229', // E8
    u'\x2261', u'\x00B1', u'\x2265', u'\x2264', u'\x2320', u'\x2321', u'\x00F7', u'\x2248', // F0
    u'\x00B0', u'\x2219', u'\x00B7', u'\x221A', u'\x207F', u'\x00B2', u'\x25A0', u'\x00A0', // F8
};

} // namespace

char16_t Cp437ToUnicode(uint8_t glyph) {
    return kCp437[glyph];
}

char16_t Windows1252ToUnicode(uint8_t glyph) {
    return HostText::cp1252ToUnicode(glyph);
}

bool IsDefaultFontName(const QByteArray &fontName) {
    return fontName == "<Default>";
}

QString GlyphsToUnicode(const QByteArray &fontName, const QByteArray &glyphs) {
    const bool ansi = IsDefaultFontName(fontName);
    QString text(glyphs.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const uint8_t g = uint8_t(glyphs[i]);
        text[i] = QChar(ansi ? Windows1252ToUnicode(g) : Cp437ToUnicode(g));
    }
    return text;
}
