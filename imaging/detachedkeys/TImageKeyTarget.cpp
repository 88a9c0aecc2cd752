// The key map's way into the detached image window.
#include "imaging/detachedkeys/TImageKeyTarget.h"

#include "common/Trace.h"

namespace orva::imaging {

bool RunImageKey(TImageKeyTarget *target, int code) {
    if (!target || !target->ImageWindowVisible()) {
        ORVA_TRACE(QStringLiteral("image key while no detached image window is visible"), code);
        return false;
    }
    constexpr int kStep = 20;
    switch (code) {
    case ikPreviousFile:
        target->aPrevFileExecute();
        return true;
    case ikNextFile:
        target->aNextFileExecute();
        return true;
    case ikScrollRight:
        target->ScrollBy(-kStep, 0);
        return true;
    case ikScrollLeft:
        target->ScrollBy(kStep, 0);
        return true;
    case ikScrollUp:
        target->ScrollBy(0, kStep);
        return true;
    case ikScrollDown:
        target->ScrollBy(0, -kStep);
        return true;
    case ikZoomIn:
        target->ToolbarAction(ibdocZoomIn);
        return true;
    case ikZoomOut:
        target->ToolbarAction(ibdocZoomOut);
        return true;
    case ikZoomReset:
        target->ToolbarAction(ibdocBestFit);
        return true;
    default:
        return false;
    }
}

} // namespace orva::imaging
