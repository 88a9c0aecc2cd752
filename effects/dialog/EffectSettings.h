// The settings file of the effects dialog, "IFiltSet.Ini" in the user's configuration folder: every
// edit box, check box and radio button of the dialog by its object name, the dialog's place, its
// three colours, the colour dialog's custom colours, the crop rectangle and the active tab, and a
// copy of the built-in values for "Reset to default". Colours are Windows colour values
// (0x00BBGGRR) in decimal, in the DEF_ and the FL_ sections alike; custom colours are lines
// "ColorA=BBGGRR" in hexadecimal.
#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>

#include <array>
#include <optional>

namespace orva::effects {

inline constexpr char kEffectSettingsFileName[] = "IFiltSet.Ini";
// What a read gives for a missing text or number: the control keeps its value.
inline constexpr char kMissingText[] = "x";
inline constexpr int kMissingNumber = -99999;

enum class TSettingsMode { Load, Save, Reset };

struct TEffectColours {
    QColor Background;
    QColor Foreground;
    QColor Mask;
};

// The built-in values of the controls and colours, taken when the dialog is made; a new file gets
// them as its defaults.
struct TControlValues {
    QList<QPair<QString, QString>> Edits;
    QList<QPair<QString, bool>> Checks;
    QList<QPair<QString, bool>> Radios;
    TEffectColours Colours;
};

// What the settings routine reads and writes beside the controls. After a load, only what the file
// held is set; a save writes what is set.
struct TEffectSettingsState {
    TEffectColours Colours;
    std::array<std::optional<int>, 4> Place; // LEFT, TOP, WIDTH, HEIGHT
    std::array<std::optional<int>, 4> Crop;  // CropX, CropY, right edge, bottom edge
    QString Page;
};

// The per-user file: in the settings folder, carried over from where earlier versions kept it.
QString DefaultSettingsFile();

TControlValues CaptureControls(const QWidget *form, const TEffectColours &colours);

// Load, save or reset. Every mode first makes the file with the built-in values as defaults when it
// is missing. False when the file could not be written.
bool EffectSettings(TSettingsMode mode, const QString &path, QWidget *form, const TControlValues &builtIn,
                    TEffectSettingsState &state);

// The custom colour line of slot i and back ("ColorA=BBGGRR").
QString CustomColourLine(int slot, const QColor &colour);
std::optional<QColor> ParseCustomColourLine(const QString &line);

} // namespace orva::effects
