// The character-set map: (character set, code) to (font, glyph), and the draw scripts built from it.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

// Character-set numbers as the screen buffer stores them, and their names in the map.
enum : uint8_t {
    vcsUSASCII = 0,
    vcsUK = 1,
    vcsLineDraw = 2,
    vcsROM1 = 3,
    vcsROM2 = 4,
};
QByteArray CharSetName(uint8_t set);

// One run of glyphs to draw in one font; "<Default>" stands for the terminal's font.
struct TVtDrawSegment {
    QByteArray FontName;
    QByteArray Glyphs;
};

class TVtCharSetMapping {
public:
    static constexpr int kMaxName = 63;
    static const QByteArray DefaultFontName;

    // Maps every code of first..last to firstGlyph onwards; false, and nothing added, when any code of
    // the range is already mapped for that set.
    bool Add(const QByteArray &charSet, int first, int last, const QByteArray &fontName, int firstGlyph);
    void Clear();
    int Count() const { return m_count; }
    // Looks up one code; an unmapped one is drawn as itself in the terminal's font.
    void Map(const QByteArray &charSet, uint8_t code, QByteArray &fontName, uint8_t &glyph) const;

    void GenerateDrawScript(const QByteArray &charSet, const QByteArray &text);
    bool GetNextDrawCommand(QByteArray &fontName, QByteArray &glyphs);
    void GetFontNames(QStringList &names) const;

    void LoadFromRes(const QString &resourceName);
    bool LoadFromBytes(const QByteArray &data);

private:
    struct Set {
        std::array<int16_t, 256> font; // index into m_fonts, -1 when unmapped
        std::array<uint8_t, 256> glyph;
    };
    const Set *findSet(const QByteArray &charSet) const;

    std::unordered_map<std::string, Set> m_sets;
    std::vector<QByteArray> m_fonts;
    int m_count = 0;
    std::deque<TVtDrawSegment> m_script;
};
