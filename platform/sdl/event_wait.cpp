#include "platform/sdl/event_wait.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <poll.h>

#include <cerrno>
#endif

namespace velmora::platform {

void EventWait::Attach(SDL_Window* window) {
    connection_ = -1;
#if defined(SDL_VIDEO_DRIVER_X11)
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window != nullptr && SDL_GetWindowWMInfo(window, &info) == SDL_TRUE &&
        info.subsystem == SDL_SYSWM_X11) {
        connection_ = ConnectionNumber(info.info.x11.display);
    }
#else
    static_cast<void>(window);
#endif
}

bool EventWait::Wait(int milliseconds) const {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (connection_ >= 0) {
        // Reads all the connection holds (and sends what is queued for the
        // server): what it leaves unread is new, and wakes the poll.
        SDL_PumpEvents();
        if (SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT) == SDL_TRUE) {
            return true;
        }
        pollfd readable{connection_, POLLIN, 0};
        const int ready = poll(&readable, 1, milliseconds);
        // A signal may have become an event (Ctrl+C a quit): look.
        return ready > 0 || (ready < 0 && errno == EINTR);
    }
#endif
    return SDL_WaitEventTimeout(nullptr, milliseconds) != 0;
}

}  // namespace velmora::platform
