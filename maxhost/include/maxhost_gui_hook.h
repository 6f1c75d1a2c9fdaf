#pragma once

// On the target the host's run loop is also the GUI framework's run loop, so the framework gets
// its turn without the bundle doing anything. The stand-in host has no GUI of its own: a bundle
// that shows windows exports this one optional function, found by name, and the host calls it
// from its main thread after every input line and whenever the GUI has work while the host waits
// (MAXHOST_GUI_IDLE: dispatch what is pending, never block), then once before it exits
// (MAXHOST_GUI_SHUTDOWN). It is not part of the host's programming interface.
//
// The host learns that the GUI has work from the second optional function: asked on the main
// thread right before every wait, it fills fds with up to capacity descriptors for the host to
// wait on until one is readable, and returns how many there are (more than capacity when they did
// not fit: the host asks again with room for all). A bundle that exports only the first function
// gets its turn every few milliseconds while the host waits.

#define MAXHOST_GUI_HOOK_NAME "maxhost_gui_hook"
#define MAXHOST_GUI_DESCRIPTORS_NAME "maxhost_gui_descriptors"

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
    // Defined by the bundle, when its GUI can say what it waits on.
    int maxhost_gui_descriptors(int* fds, int capacity);

#ifdef __cplusplus
}
#endif
