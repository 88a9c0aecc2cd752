// The key map's image actions.
#include "imaging/detached/TImageKeyTarget.h"

namespace orva::imaging {

bool RunImageKey(TImageKeyTarget *target, int code) {
    if (!target || !target->ImageWindowVisible()) {
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
