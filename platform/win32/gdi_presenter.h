#pragma once

// Shows the in-memory screen (the primary surface seen through its attached
// palette), or a view the program drew in its place, in a window's device
// context with GDI, at a whole scale.

#include <cstdint>
#include <vector>

#include "platform/ddraw/memory.h"
#include "platform/present.h"
#include "platform/types.h"

namespace velmora::platform::win32 {

class GdiPresenter {
  public:
    // How the indexes reach the window: as an 8-bit bitmap whose colour
    // table is the palette (GDI looks the colours up while it stretches), or
    // coloured here into a 32-bit bitmap first.
    enum class Path { kIndexes, kColours };

    explicit GdiPresenter(const DisplayDevice& device, Path path = Path::kIndexes);

    // Shows `view` (640x480 ARGB8888, stride 640 pixels) in place of the
    // screen from the next presentation on, or the screen again for nullptr.
    void ShowView(const std::uint32_t* view);
    // The pixels of the view being shown changed.
    void ViewChanged();

    // Draws what the screen shows now, or the view, into `dc` at (0, 0),
    // `scale` device pixels per picture pixel. False, and nothing drawn,
    // while the screen is shown and the primary is locked (half drawn).
    bool Present(HDC dc, int scale);

    // Grows whenever what is to be shown changes: the screen, the view, or
    // which of them.
    std::uint64_t Generation() const { return device_.ScreenGeneration() + viewGeneration_; }
    std::uint64_t ShownGeneration() const { return shownGeneration_; }
    std::uint64_t Presentations() const { return presentations_; }

  private:
    bool Draw(HDC dc, int scale, const void* pixels, int bitmapWidth, int bits);

    const DisplayDevice& device_;
    Path path_;
    ColourLookup lookup_{};
    std::vector<std::uint32_t> coloured_;  // the kColours path's frame; black with no screen
    const std::uint32_t* view_ = nullptr;
    std::uint64_t viewGeneration_ = 0;
    std::uint64_t shownGeneration_ = 0;
    std::uint64_t presentations_ = 0;
};

}  // namespace velmora::platform::win32
