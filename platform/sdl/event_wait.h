#pragma once

// Sleeping until SDL has input, without SDL's own wait on X11. There, each
// event that ends SDL_WaitEventTimeout makes SDL send a wake-up message to
// the program's window over a second connection to the X server, which the
// server may carry out only after the window was destroyed on the first:
// a BadWindow error, which Xlib answers by ending the process at exit. This
// program has only the one thread and needs no wake-ups: it sleeps on the
// connection itself.

struct SDL_Window;

namespace velmora::platform {

class EventWait {
  public:
    // The connection `window` is shown through, where it can be slept on;
    // any other driver (or none) sleeps in SDL.
    void Attach(SDL_Window* window);

    // Returns once SDL has an event waiting or may have, or after
    // `milliseconds` (-1: no limit). False when nothing can come: the time
    // ran out, or the event source failed.
    bool Wait(int milliseconds) const;

  private:
    int connection_ = -1;
};

}  // namespace velmora::platform
