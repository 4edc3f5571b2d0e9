#include "platform/present.h"

#include <algorithm>

namespace velmora::platform {

namespace {

constexpr int kWidth = DisplayDevice::kScreenWidth;
constexpr int kHeight = DisplayDevice::kScreenHeight;

}  // namespace

void BuildLookup(const MemoryPalette* palette, ColourLookup& lookup) {
    if (palette == nullptr || !palette->Alive()) {
        lookup.fill(0xFF000000U);
        return;
    }
    const auto& entries = palette->Entries();
    for (std::size_t i = 0; i < lookup.size(); ++i) {
        lookup[i] = 0xFF000000U | static_cast<std::uint32_t>(entries[i].peRed) << 16 |
                    static_cast<std::uint32_t>(entries[i].peGreen) << 8 | entries[i].peBlue;
    }
}

void ColourFrame(const std::uint8_t* indexes, std::ptrdiff_t pitch, const ColourLookup& lookup,
                 std::uint32_t* target, std::ptrdiff_t targetPitch) {
    auto* targetBytes = reinterpret_cast<std::uint8_t*>(target);
    for (int y = 0; y < kHeight; ++y) {
        const std::uint8_t* in = indexes + y * pitch;
        auto* out = reinterpret_cast<std::uint32_t*>(targetBytes + y * targetPitch);
        for (int x = 0; x < kWidth; ++x) {
            out[x] = lookup[in[x]];
        }
    }
}

bool PresentPacer::Due(std::uint64_t generation, Clock::time_point now, bool inputWaiting) {
    if (!Pending(generation)) {
        pendingSince_.reset();
        return false;
    }
    if (!pendingSince_) {
        pendingSince_ = now;
    }
    if (UntilDue(now) > Clock::duration::zero()) {
        return false;
    }
    return !inputWaiting || now - *pendingSince_ >= interval_;
}

PresentPacer::Clock::duration PresentPacer::UntilDue(Clock::time_point now) const {
    if (!presentedOnce_) {
        return Clock::duration::zero();
    }
    return std::max(Clock::duration::zero(), lastPresent_ + interval_ - now);
}

void PresentPacer::Presented(std::uint64_t generation, Clock::time_point now) {
    shown_ = generation;
    invalid_ = false;
    presentedOnce_ = true;
    lastPresent_ = now;
    pendingSince_.reset();
}

IdleSchedule::Clock::duration IdleSchedule::Until(Clock::time_point now) const {
    return std::max(Clock::duration::zero(), next_ - now);
}

bool IdleSchedule::Take(Clock::time_point now) {
    if (now < next_) {
        return false;
    }
    next_ += interval_;
    if (next_ < now) {
        next_ = now + interval_;
    }
    return true;
}

}  // namespace velmora::platform
