#pragma once

// Shows the in-memory screen (the primary surface seen through its attached
// palette), or a view the program drew in its place, in an SDL window, and
// decides when showing it again is worth it.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ddraw/memory.h"
#include "platform/present.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

namespace velmora::platform {

// A streaming 640x480 ARGB texture scaled, letterboxed and nearest-neighbour,
// onto the whole window.
class Presenter {
  public:
    explicit Presenter(const DisplayDevice& device) : device_(device) {}
    ~Presenter();
    Presenter(const Presenter&) = delete;
    Presenter& operator=(const Presenter&) = delete;

    // Makes the renderer and the texture; an empty string on success, else
    // one line saying what failed. With `wholeScale` the picture is scaled
    // only by whole numbers, whatever size the window is given.
    std::string Open(SDL_Window* window, bool wholeScale = false);

    // Shows `view` (640x480 ARGB8888, stride 640 pixels) in place of the
    // screen from the next presentation on, or the screen again for nullptr.
    // The previous view is not read again.
    void ShowView(const std::uint32_t* view);
    // The pixels of the view being shown changed.
    void ViewChanged();

    // Colours, uploads and presents what the screen shows now, or the view.
    // False (and nothing shown) while the screen is shown and the primary is
    // locked: its pixels are half drawn.
    bool Present();

    // Grows whenever what is to be shown changes: the screen, the view, or
    // which of them.
    std::uint64_t Generation() const { return device_.ScreenGeneration() + viewGeneration_; }
    // The generation of the last presentation.
    std::uint64_t ShownGeneration() const { return shownGeneration_; }
    std::uint64_t Presentations() const { return presentations_; }
    // The refresh interval of the window's display (60 Hz when unknown).
    PresentPacer::Clock::duration RefreshInterval() const;

  private:
    const DisplayDevice& device_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    ColourLookup lookup_{};
    const std::uint32_t* view_ = nullptr;
    std::uint64_t viewGeneration_ = 0;
    std::uint64_t shownGeneration_ = 0;
    std::uint64_t presentations_ = 0;
};

}  // namespace velmora::platform
