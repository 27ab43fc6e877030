// Exported stand-ins for the window handles that the message notification
// posts to on platforms without a window system.
#include "kovr/kovr.h"
#include "platform/message_window.h"

extern "C" {

KOVR_API KOVR_WINDOW KOVRCreateMessageWindow(void)
{
    return kovr::platform::CreateMessageWindow();
}

KOVR_API int32_t KOVRGetWindowMessage(KOVR_WINDOW w, uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam,
                                      intptr_t *lParam)
{
    return kovr::platform::GetWindowMessage(w, timeoutMs, message, wParam, lParam);
}

KOVR_API void KOVRDestroyMessageWindow(KOVR_WINDOW w)
{
    kovr::platform::DestroyMessageWindow(w);
}

}
