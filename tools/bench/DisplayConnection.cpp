// DisplayConnection: one Xlib connection, never closed (the process's exit closes it). Xlib's
// header stays in this file: its macros (None, Status, Bool) clash with the GL and JSON headers.
#include "DisplayConnection.h"

#include <X11/Xlib.h>

bool holdDisplayConnection() {
    static Display* held = XOpenDisplay(nullptr);
    return held != nullptr;
}
