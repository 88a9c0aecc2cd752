// The keyboard's lock states as the terminal needs them.
#pragma once

namespace orva::keyboard {

// Turns the keyboard's Num Lock state over (on becomes off and off on). False when the window
// system gives no way to do so (no X11 display, as on the offscreen platform).
bool ToggleNumLock();

} // namespace orva::keyboard
