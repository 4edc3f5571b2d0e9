#pragma once

// Shows the in-memory screen (the primary surface seen through its attached
// palette), or a view the program drew in its place, in an SDL window, and
// decides when showing it again is worth it.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ddraw/memory.h"

struct SDL_Renderer;
struct SDL_Texture;
struct SDL_Window;

namespace velmora::platform {

using ColourLookup = std::array<std::uint32_t, 256>;

// The screen colours of the 256 indexes as ARGB8888. Without a palette there
// is nothing to colour the indexes with: every index shows black.
void BuildLookup(const MemoryPalette* palette, ColourLookup& lookup);

// Colours a 640x480 index frame into 32-bit pixels; `targetPitch` in bytes.
void ColourFrame(const std::uint8_t* indexes, std::ptrdiff_t pitch, const ColourLookup& lookup,
                 std::uint32_t* target, std::ptrdiff_t targetPitch);

// When to present. Without vsync nothing paces the presentations, so this
// does: at most one per refresh interval however often the screen changes
// (the flicker changes it on every pass of the idle loop), none while
// nothing changed, and none while input waits, unless the change has
// already waited a whole interval.
class PresentPacer {
  public:
    using Clock = std::chrono::steady_clock;

    explicit PresentPacer(Clock::duration interval) : interval_(interval) {}

    // The window lost its contents (expose, a box on top): show it again.
    void Invalidate() { invalid_ = true; }
    bool Pending(std::uint64_t generation) const { return invalid_ || generation != shown_; }
    bool Due(std::uint64_t generation, Clock::time_point now, bool inputWaiting);
    // How long until a pending change may be presented; zero when it may now.
    Clock::duration UntilDue(Clock::time_point now) const;
    void Presented(std::uint64_t generation, Clock::time_point now);

  private:
    Clock::duration interval_;
    std::uint64_t shown_ = 0;
    bool invalid_ = true;
    bool presentedOnce_ = false;
    Clock::time_point lastPresent_{};
    std::optional<Clock::time_point> pendingSince_;
};

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
