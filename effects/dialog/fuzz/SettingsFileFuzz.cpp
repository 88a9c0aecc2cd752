// Fuzz target: the bytes of a file through both readers of files the effects dialog opens: the
// palette file (".VPL") and the settings file ("IFiltSet.Ini").
#include "effects/dialog/EffectSettings.h"
#include "effects/dialog/TIniFile.h"
#include "platform/fxlib/Palettes.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QVector<QRgb> palette = orva::fxlib::parsePaletteFile(bytes);
    if (!palette.isEmpty() && palette.size() > orva::fxlib::kPaletteFileEntries)
        __builtin_trap();
    const orva::effects::TIniFile ini = orva::effects::TIniFile::parse(bytes);
    for (const char *section : {"FL_EDIT", "FL_POS", "CustomColors", "FL_RUBBERBAND", "ActivePage"})
        for (const char *key : {"BlurEdit", "LEFT", "0", "CropX", "Page"}) {
            const QString s = ini.readString(QLatin1String(section), QLatin1String(key), QStringLiteral("x"));
            ini.readInteger(QLatin1String(section), QLatin1String(key), -99999);
            orva::effects::ParseCustomColourLine(s);
        }
    // What is read back after writing is what was written.
    if (orva::effects::TIniFile::parse(ini.bytes()).bytes() != ini.bytes())
        __builtin_trap();
    return 0;
}
