#include "platform/keyboard/KeyboardLocks.h"

#include <QGuiApplication>

#if defined(ORVA_HAVE_X11) && QT_CONFIG(xcb)
#define ORVA_X11_LOCKS
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace orva::keyboard {

bool ToggleNumLock() {
#ifdef ORVA_X11_LOCKS
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const unsigned int mask = XkbKeysymToModifiers(display, XK_Num_Lock);
    XkbStateRec state;
    if (mask == 0 || XkbGetState(display, XkbUseCoreKbd, &state) != Success)
        return false;
    const bool on = (state.locked_mods & mask) != 0;
    if (!XkbLockModifiers(display, XkbUseCoreKbd, mask, on ? 0 : mask))
        return false;
    XFlush(display);
    return true;
#else
    return false;
#endif
}

} // namespace orva::keyboard
