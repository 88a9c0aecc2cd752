// Character-set map storage, loading and draw scripts.
#include "terminal/core/TVtCharSetMapping.h"

#include "terminal/core/TVtResourceTable.h"

#include <algorithm>

const QByteArray TVtCharSetMapping::DefaultFontName = "<Default>";

QByteArray CharSetName(uint8_t set) {
    static const char *const names[] = {"VT100-USASCII", "VT100-UK", "VT100-linedraw", "VT100-ROM1",
                                        "VT100-ROM2"};
    return set < 5 ? QByteArray(names[set]) : QByteArray(names[0]);
}

bool TVtCharSetMapping::Add(const QByteArray &charSet, int first, int last, const QByteArray &fontName,
                            int firstGlyph) {
    first = std::max(first, 0);
    last = std::min(last, 255);
    if (first > last)
        return false;
    const std::string key = charSet.left(kMaxName).toStdString();
    auto it = m_sets.find(key);
    if (it != m_sets.end()) {
        for (int c = first; c <= last; ++c)
            if (it->second.font[std::size_t(c)] >= 0)
                return false;
    } else {
        Set set;
        set.font.fill(-1);
        set.glyph.fill(0);
        it = m_sets.emplace(key, set).first;
    }
    const QByteArray font = fontName.left(kMaxName);
    auto fontIt = std::find(m_fonts.begin(), m_fonts.end(), font);
    if (fontIt == m_fonts.end())
        fontIt = m_fonts.insert(m_fonts.end(), font);
    const int16_t fontIndex = int16_t(fontIt - m_fonts.begin());
    for (int c = first; c <= last; ++c) {
        it->second.font[std::size_t(c)] = fontIndex;
        it->second.glyph[std::size_t(c)] = uint8_t(firstGlyph + (c - first));
        ++m_count;
    }
    return true;
}

void TVtCharSetMapping::Clear() {
    m_sets.clear();
    m_fonts.clear();
    m_count = 0;
    m_script.clear();
}

const TVtCharSetMapping::Set *TVtCharSetMapping::findSet(const QByteArray &charSet) const {
    const auto it = m_sets.find(charSet.left(kMaxName).toStdString());
    return it == m_sets.end() ? nullptr : &it->second;
}

void TVtCharSetMapping::Map(const QByteArray &charSet, uint8_t code, QByteArray &fontName,
                            uint8_t &glyph) const {
    const Set *set = findSet(charSet);
    if (!set || set->font[code] < 0) {
        fontName = DefaultFontName;
        glyph = code;
        return;
    }
    fontName = m_fonts[std::size_t(set->font[code])];
    glyph = set->glyph[code];
}

void TVtCharSetMapping::GenerateDrawScript(const QByteArray &charSet, const QByteArray &text) {
    if (text.isEmpty())
        return;
    m_script.clear();
    const Set *set = findSet(charSet);
    const auto fontOf = [&](uint8_t code) -> const QByteArray * {
        return set && set->font[code] >= 0 ? &m_fonts[std::size_t(set->font[code])] : &DefaultFontName;
    };
    // One command per run of characters drawn in the same font (runs are compared by name, so a
    // table entry naming the default font joins the unmapped characters around it).
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const QByteArray *font = fontOf(uint8_t(text[i]));
        QByteArray glyphs;
        glyphs.reserve(n - i);
        for (; i < n; ++i) {
            const uint8_t code = uint8_t(text[i]);
            const QByteArray *f = fontOf(code);
            if (f != font && *f != *font)
                break;
            glyphs.append(char(f != &DefaultFontName ? set->glyph[code] : code));
        }
        m_script.push_back({*font, std::move(glyphs)});
    }
}

bool TVtCharSetMapping::GetNextDrawCommand(QByteArray &fontName, QByteArray &glyphs) {
    if (m_script.empty())
        return false;
    fontName = m_script.front().FontName;
    glyphs = m_script.front().Glyphs;
    m_script.pop_front();
    return true;
}

void TVtCharSetMapping::GetFontNames(QStringList &names) const {
    names.clear();
    for (const QByteArray &font : m_fonts)
        names.append(QString::fromLatin1(font));
}

void TVtCharSetMapping::LoadFromRes(const QString &resourceName) {
    LoadFromBytes(LoadTerminalResource(resourceName));
}

bool TVtCharSetMapping::LoadFromBytes(const QByteArray &data) {
    Clear();
    const bool ok = ReadResourceTable(data, [this](TVtResourceReader &reader) {
        QByteArray charSet, font;
        uint8_t code = 0, glyph = 0;
        if (!reader.ReadString(charSet) || !reader.ReadString(font) || !reader.ReadByte(code) ||
            !reader.ReadByte(glyph))
            return false;
        Add(charSet, code, code, font, glyph);
        return true;
    });
    if (!ok)
        Clear();
    return ok;
}
