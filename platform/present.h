#pragma once

// What the desktop presenters of the in-memory screen share, whatever they
// draw with: the screen's colours, when a presentation is worth it, and when
// the loop's idle pass may come. No window system here.

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/ddraw/memory.h"

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

// When the loop's next idle pass (the flicker step) may come: once per
// frame the screen can show, since more is work no one sees, and with no
// burst to catch up after a long stretch of input.
class IdleSchedule {
  public:
    using Clock = PresentPacer::Clock;

    void SetInterval(Clock::duration interval) { interval_ = interval; }
    Clock::duration Interval() const { return interval_; }
    // How long until the next pass is due; zero when it is.
    Clock::duration Until(Clock::time_point now) const;
    // True, and the pass after it booked, when a pass is due now.
    bool Take(Clock::time_point now);

  private:
    Clock::duration interval_{};
    Clock::time_point next_{};
};

}  // namespace velmora::platform
