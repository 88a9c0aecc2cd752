// The key map's way into the detached image window.
#include "imaging/detachedkeys/TImageKeyTarget.h"

#include "common/Trace.h"

namespace {

constexpr int kScrollStep = 20;
constexpr int kZoomIn = 5;
constexpr int kZoomOut = 6;
constexpr int kBestFit = 8;

} // namespace

bool RunImageKey(TImageKeyTarget &target, int code) {
    if (!target.DetachedWindowVisible()) {
        ORVA_TRACE(QStringLiteral("image key while no detached image window is visible"), code);
        return false;
    }
    switch (code) {
    case ImageKeyCode::PreviousFile:
        target.PreviousFile();
        return true;
    case ImageKeyCode::NextFile:
        target.NextFile();
        return true;
    case ImageKeyCode::ScrollRight:
        target.ScrollBy(-kScrollStep, 0);
        return true;
    case ImageKeyCode::ScrollLeft:
        target.ScrollBy(kScrollStep, 0);
        return true;
    case ImageKeyCode::ScrollUp:
        target.ScrollBy(0, kScrollStep);
        return true;
    case ImageKeyCode::ScrollDown:
        target.ScrollBy(0, -kScrollStep);
        return true;
    case ImageKeyCode::ZoomIn:
        target.ToolbarAction(kZoomIn);
        return true;
    case ImageKeyCode::ZoomOut:
        target.ToolbarAction(kZoomOut);
        return true;
    case ImageKeyCode::ZoomReset:
        target.ToolbarAction(kBestFit);
        return true;
    default:
        return false;
    }
}
