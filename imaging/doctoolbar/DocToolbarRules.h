// The imaging toolbar without widgets: each button's name and built-in hint, when it is enabled and
// shown down, the zoom steps, and how the buttons share the toolbar's width.
#pragma once

#include "imaging/doctoolbar/TVisTbBtn.h"
#include "imaging/docview/VisDocumentImage.h"

#include <QString>
#include <QVector>

#include <optional>

namespace orva::imaging {

// The button's name: its component name and, after "VISTB_", its glyph ("OPEN", ... "UPDATE").
QString ButtonName(TVisTbBtn button);
// The built-in hint ("Open file", ... "Update Tiff").
QString ButtonHint(TVisTbBtn button);

// What the enabling rules look at.
struct TToolbarState {
    bool Linked = false;        // a viewer is linked
    bool ToolbarEnabled = true; // the toolbar itself
    bool ViewerEnabled = true;  // the linked viewer
    bool HasImage = false;
    int BitCount = 0;
    int Page = 0;
    int PageCount = 0;
    bool ClipboardHasPicture = false;
    bool PrinterAssigned = false; // the Print button has a printer to ask about
};
bool ButtonEnabled(TVisTbBtn button, const TToolbarState &state);
// Mode buttons are shown down while their mouse mode is on.
bool ButtonDown(TVisTbBtn button, TControlMode mode);
// The mouse mode a mode button switches to from `mode` (back to cmNone when it is on).
TControlMode ToggledMode(TVisTbBtn button, TControlMode mode);

// Zoom In adds 5 unless the scale is 999 or more; Zoom Out takes 5 while it is above 0 (the
// viewer keeps it at 1 or more). Nothing when the button does nothing.
std::optional<double> ZoomInPercent(double percent);
std::optional<double> ZoomOutPercent(double percent);

// The widths of `count` buttons sharing `available` pixels: equal shares, the remainder one pixel
// more for each of the first buttons.
QVector<int> ShareWidths(int available, int count);

constexpr int kScaleComboWidth = 80;
constexpr int kButtonWidth = 20;
constexpr int kButtonHeight = 18;

} // namespace orva::imaging
