// What the key map makes the detached image window do: go to the previous or next file, scroll its
// document view, or run one of its toolbar's zoom buttons, only while the window is visible. The
// detached window implements it; the key map and the main window need no widgets to use it.
#pragma once

#include "imaging/doctoolbar/TVisTbBtn.h"

namespace orva::imaging {

class TImageKeyTarget {
public:
    virtual ~TImageKeyTarget() = default;
    // Key actions act only while the window is visible.
    virtual bool ImageWindowVisible() const = 0;
    virtual void aPrevFileExecute() = 0;
    virtual void aNextFileExecute() = 0;
    // Positive deltas move the picture right or down.
    virtual void ScrollBy(int dx, int dy) = 0;
    // Runs a toolbar button as if pressed (the key map uses ibdocZoomIn, ibdocZoomOut, ibdocBestFit).
    virtual void ToolbarAction(TVisTbBtn button) = 0;
};

// The key map's image action codes.
enum TImageKeyAction {
    ikPreviousFile = 0,
    ikNextFile = 2,
    ikScrollRight = 4, // scrolls by -20 horizontally: the picture moves left
    ikScrollLeft = 8,  // +20 horizontally
    ikScrollUp = 16,   // +20 vertically
    ikScrollDown = 32, // -20 vertically
    ikZoomIn = 64,
    ikZoomOut = 128,
    ikZoomReset = 256
};

// Runs one image action code on the window. False (and nothing done) when there is no window, it is
// hidden, or the code names no action.
bool RunImageKey(TImageKeyTarget *target, int code);

} // namespace orva::imaging
