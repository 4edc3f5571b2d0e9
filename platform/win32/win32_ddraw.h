#pragma once

// Our DirectDraw-style layer on the real DirectDraw (ddraw.dll): thin
// wrappers that forward each call to the system's objects, translating
// records, rectangles and handles at the boundary. Result codes pass through
// unchanged.

#include <memory>
#include <vector>

#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/gdi.h"

namespace velmora::platform::win32 {

class Win32DirectDraw;

// The default display driver. It owns every wrapper made through it until it
// is destroyed: a wrapper whose last reference is released lets go of the
// system object at once but stays addressable and refuses further calls, so
// a stale pointer gets an error code rather than freed memory.
class Win32DisplayDriver : public DisplayDriver {
  public:
    // `gdi` draws into the surfaces' device contexts; it must outlive us.
    explicit Win32DisplayDriver(Gdi& gdi);
    ~Win32DisplayDriver() override;
    Win32DisplayDriver(const Win32DisplayDriver&) = delete;
    Win32DisplayDriver& operator=(const Win32DisplayDriver&) = delete;

    HRESULT DirectDrawCreate(const void* driver, IDirectDraw** directDraw, void* outer) override;

    // Brings the surface GDI draws on to the front, so that a message box is
    // seen over a flipping primary (after an odd number of flips it would
    // be drawn into the back buffer). Both buffers hold the same picture
    // after every presented frame, so the screen does not change.
    void ShowGdiSurface();

    // After the window painted itself: a picture restored while the window
    // could not be seen is put on screen again (no frame, nothing drawn).
    void ShowKeptPicture();

  private:
    Gdi& gdi_;
    std::vector<std::unique_ptr<Win32DirectDraw>> objects_;
};

}  // namespace velmora::platform::win32
