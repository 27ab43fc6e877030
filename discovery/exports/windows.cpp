// Exported stand-ins for the window handles that the message notification
// posts to on platforms without a window system.
#include <memory>
#include <new>

#include "discovery/handles.h"
#include "kovr/kovr.h"

using namespace kovr;

extern "C" {

KOVR_API KOVR_WINDOW KOVRCreateMessageWindow(void)
{
    try {
        return HandleOfSerial<KOVR_WINDOW>(WindowRegistry().Add(std::make_shared<platform::MessageWindow>()));
    } catch (const std::bad_alloc &) {
        return nullptr; // untestable: out of memory
    }
}

KOVR_API int32_t KOVRGetWindowMessage(KOVR_WINDOW w, uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam,
                                      intptr_t *lParam)
{
    // The reader holds the window while it waits, so a destroy meanwhile
    // wakes it instead of freeing what it waits on.
    const std::shared_ptr<platform::MessageWindow> window = WindowRegistry().Find(SerialOf(w));
    return window != nullptr ? window->Get(timeoutMs, message, wParam, lParam) : KOVR_FAILED;
}

KOVR_API void KOVRDestroyMessageWindow(KOVR_WINDOW w)
{
    if (const std::shared_ptr<platform::MessageWindow> window = WindowRegistry().Remove(SerialOf(w))) {
        window->Destroy();
    }
}
}
