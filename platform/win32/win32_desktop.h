#pragma once

// The window-system layer on the real USER32 with the desktop's own
// presentation: an ordinary window with a caption at the largest whole
// scale of the picture that fits the monitor's work area, showing the
// in-memory screen (or the program's view in its place) with GDI. Nothing
// takes the screen: the display mode stays as it is.

#include <cstdint>

#include "platform/ddraw/memory.h"
#include "platform/present.h"
#include "platform/win32/gdi_presenter.h"
#include "platform/win32/win32_window_system.h"

namespace velmora::platform::win32 {

class Win32DesktopWindowSystem final : public Win32WindowSystem {
  public:
    // `device` holds the screen this window shows.
    explicit Win32DesktopWindowSystem(const DisplayDevice& device,
                                      GdiPresenter::Path path = GdiPresenter::Path::kIndexes);

    // Whatever style, place and size are asked for, the window is an
    // ordinary one that cannot be resized, centred in the work area.
    HWND CreateWindowExA(DWORD exStyle, const char* className, const char* title, DWORD style,
                         int x, int y, int width, int height, HWND parent, std::uintptr_t menu,
                         HMODULE instance, void* parameter) override;
    bool PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) override;
    bool WaitMessage() override;
    int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) override;
    bool ShowView(const std::uint32_t* view) override;
    void ViewChanged() override;

    // Window pixels per picture pixel; known once the window is made.
    int Scale() const { return scale_; }
    std::uint64_t Presentations() const { return presenter_.Presentations(); }

  protected:
    bool WaitForInputOrNextFrame() override;
    bool Intercept(HWND window, UINT message, WPARAM& wParam, LPARAM& lParam,
                   LRESULT& result) override;

  private:
    bool PresentNow();
    void PresentIfDue(bool inputWaiting);

    GdiPresenter presenter_;
    PresentPacer pacer_;
    HWND window_ = 0;
    int scale_ = 1;
};

}  // namespace velmora::platform::win32
