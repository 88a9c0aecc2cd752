// Glyph codes from the character-set map turned into Unicode for drawing with Qt.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

char16_t Cp437ToUnicode(uint8_t glyph);
char16_t Windows1252ToUnicode(uint8_t glyph);
// "<Default>" stands for the terminal's own font, whose glyphs are Windows-1252 codes; every other
// font named by the map is a graphics font with PC code page 437 glyphs, whichever font draws it.
bool IsDefaultFontName(const QByteArray &fontName);
QString GlyphsToUnicode(const QByteArray &fontName, const QByteArray &glyphs);
