// What the key map makes the detached image window do: go to the previous or next file, scroll its
// document view, or run one of its toolbar's zoom steps, only while the window is visible. The
// detached window implements the interface; until it does, TNoDetachedImageWindow stands in for it.
#pragma once

class TImageKeyTarget {
public:
    virtual ~TImageKeyTarget() = default;
    virtual bool DetachedWindowVisible() const = 0;
    virtual void PreviousFile() = 0;
    virtual void NextFile() = 0;
    virtual void ScrollBy(int dx, int dy) = 0;
    // The toolbar's zoom steps: 5 zoom in, 6 zoom out, 8 best fit.
    virtual void ToolbarAction(int action) = 0;
};

// No detached window: nothing is visible, so no key reaches it.
class TNoDetachedImageWindow : public TImageKeyTarget {
public:
    bool DetachedWindowVisible() const override { return false; }
    void PreviousFile() override {}
    void NextFile() override {}
    void ScrollBy(int, int) override {}
    void ToolbarAction(int) override {}
};

// The action codes of the key map's image tokens (doImageKey).
namespace ImageKeyCode {
constexpr int PreviousFile = 0;
constexpr int NextFile = 2;
constexpr int ScrollRight = 4; // the picture moves by -20 horizontally
constexpr int ScrollLeft = 8;  // +20 horizontally
constexpr int ScrollUp = 16;   // +20 vertically
constexpr int ScrollDown = 32; // -20 vertically
constexpr int ZoomIn = 64;
constexpr int ZoomOut = 128;
constexpr int ZoomReset = 256;
} // namespace ImageKeyCode

// Runs one action code on the window while it is visible. False (and nothing done) when no window is
// visible or the code names no action.
bool RunImageKey(TImageKeyTarget &target, int code);
