// What the key map drives in the detached image window: previous and next file, scrolling and the
// toolbar's zoom buttons. The main window holds the window through this interface, so its key
// actions can be tested against a recording stand-in.
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

// Runs one image action code on the window; nothing while it is hidden or for an unknown code.
// True when the code was carried out.
bool RunImageKey(TImageKeyTarget *target, int code);

} // namespace orva::imaging
