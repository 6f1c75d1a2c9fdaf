#pragma once

// On the target the host's run loop is also the GUI framework's run loop, so the framework gets
// its turn without the bundle doing anything. The stand-in host has no GUI of its own: a bundle
// that shows windows exports this one optional function, found by name, and the host calls it
// from its main thread after every input line and every few milliseconds while it waits
// (MAXHOST_GUI_IDLE: dispatch what is pending, never block), then once before it exits
// (MAXHOST_GUI_SHUTDOWN). It is not part of the host's programming interface.

#define MAXHOST_GUI_HOOK_NAME "maxhost_gui_hook"

enum
{
    MAXHOST_GUI_IDLE = 0,
    MAXHOST_GUI_SHUTDOWN = 1
};

#ifdef __cplusplus
extern "C"
{
#endif

    // Defined by the bundle, when it has a GUI.
    void maxhost_gui_hook(int event);

#ifdef __cplusplus
}
#endif
