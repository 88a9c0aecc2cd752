// Imaging toolbar rules.
#include "imaging/doctoolbar/DocToolbarRules.h"

#include <algorithm>

namespace orva::imaging {

namespace {
struct ButtonText {
    const char *name;
    const char *hint;
};
// In button order.
const ButtonText kButtons[kVisTbBtnCount] = {
    {"OPEN", "Open file"},
    {"SAVE", "Save file"},
    {"PRINT", "Print file"},
    {"PANZOOM", "Toggle Panning Zooming"},
    {"MAGNIFY", "Toggle Magnifier"},
    {"ZOOMIN", "Zoom In"},
    {"ZOOMOUT", "Zoom out"},
    {"RESETZOOM", "Reset Zoom"},
    {"BESTFIT", "Best fit Image"},
    {"SCANPAGES", "Scan Pages"},
    {"SELECTSCANNER", "Select Scanner"},
    {"CUT", "Cut to Clipboard"},
    {"COPY", "Copy to Clipboard"},
    {"PASTE", "Paste from Clipboard"},
    {"ANNOTEDIT", "Toggle Annotation mode"},
    {"EDITTAGS", "Edit Tiff Tags"},
    {"INVERT", "Invert"},
    {"ROTATE90", "Rotate 90\u00ba"},
    {"ROTATE180", "Rotate 180\u00ba"},
    {"DESKEW", "Deskew"},
    {"REMOVEBORDER", "Remove border"},
    {"EFFECTS", "Effect Manager"},
    {"FIRST", "First Tiff page"},
    {"PRIOR", "Prior Tiff page"},
    {"NEXT", "Next Tiff page"},
    {"LAST", "Last Tiff page"},
    {"DELETE", "Delete Tiff page"},
    {"PACK", "Purge Deleted Tiff pages"},
    {"UPDATE", "Update Tiff"},
};
} // namespace

QString ButtonName(TVisTbBtn button) {
    return QLatin1String(kButtons[button].name);
}

QString ButtonHint(TVisTbBtn button) {
    return QString::fromUtf8(kButtons[button].hint);
}

bool ButtonEnabled(TVisTbBtn button, const TToolbarState &s) {
    if (!s.Linked || !s.ToolbarEnabled || !s.ViewerEnabled) {
        return false;
    }
    switch (button) {
    case ibdocOpen:
    case ibdocScanPages:
    case ibdocSelectScanner:
        return true;
    case ibdocPrint:
        return s.HasImage && s.PrinterAssigned;
    case ibdocPaste:
        return s.ClipboardHasPicture;
    case ibdocEffects:
        return s.HasImage && s.BitCount > 8;
    case ibdocFirst:
    case ibdocPrior:
        return s.Page > 0;
    case ibdocNext:
    case ibdocLast:
        return s.Page < s.PageCount - 1;
    default:
        return s.HasImage;
    }
}

bool ButtonDown(TVisTbBtn button, TControlMode mode) {
    return (button == ibdocPanZoom && mode == cmPanning) || (button == ibdocMagnify && mode == cmMagnify) ||
           (button == ibdocAnnotEdit && mode == cmAnnotationEdit);
}

TControlMode ToggledMode(TVisTbBtn button, TControlMode mode) {
    const TControlMode own = button == ibdocPanZoom   ? cmPanning
                             : button == ibdocMagnify ? cmMagnify
                                                      : cmAnnotationEdit;
    return mode == own ? cmNone : own;
}

std::optional<double> ZoomInPercent(double percent) {
    if (percent >= 999) {
        return std::nullopt;
    }
    return percent + 5;
}

std::optional<double> ZoomOutPercent(double percent) {
    if (!(percent > 0)) {
        return std::nullopt;
    }
    return percent - 5;
}

QVector<int> ShareWidths(int available, int count) {
    QVector<int> widths;
    if (count <= 0) {
        return widths;
    }
    const int share = std::max(0, available) / count;
    const int rest = std::max(0, available) % count;
    for (int i = 0; i < count; ++i) {
        widths.append(share + (i < rest ? 1 : 0));
    }
    return widths;
}

} // namespace orva::imaging
