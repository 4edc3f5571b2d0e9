#include "platform/win32/convert.h"

#include <chrono>

namespace velmora::platform::win32 {

namespace {

template <typename To, typename From>
void CopyKey(To& to, const From& from) {
    to.dwColorSpaceLowValue = from.dwColorSpaceLowValue;
    to.dwColorSpaceHighValue = from.dwColorSpaceHighValue;
}

// Every field but the size, which differs between the two records.
template <typename To, typename From>
void CopyCommonFields(To& to, const From& from) {
    to.dwFlags = from.dwFlags;
    to.dwHeight = from.dwHeight;
    to.dwWidth = from.dwWidth;
    to.lPitch = from.lPitch;
    to.dwBackBufferCount = from.dwBackBufferCount;
    to.dwRefreshRate = from.dwRefreshRate;
    to.dwAlphaBitDepth = from.dwAlphaBitDepth;
    to.lpSurface = from.lpSurface;
    CopyKey(to.ddckCKDestOverlay, from.ddckCKDestOverlay);
    CopyKey(to.ddckCKDestBlt, from.ddckCKDestBlt);
    CopyKey(to.ddckCKSrcOverlay, from.ddckCKSrcOverlay);
    CopyKey(to.ddckCKSrcBlt, from.ddckCKSrcBlt);
    to.ddpfPixelFormat.dwSize = from.ddpfPixelFormat.dwSize;
    to.ddpfPixelFormat.dwFlags = from.ddpfPixelFormat.dwFlags;
    to.ddpfPixelFormat.dwFourCC = from.ddpfPixelFormat.dwFourCC;
    to.ddpfPixelFormat.dwRGBBitCount = from.ddpfPixelFormat.dwRGBBitCount;
    to.ddpfPixelFormat.dwRBitMask = from.ddpfPixelFormat.dwRBitMask;
    to.ddpfPixelFormat.dwGBitMask = from.ddpfPixelFormat.dwGBitMask;
    to.ddpfPixelFormat.dwBBitMask = from.ddpfPixelFormat.dwBBitMask;
    to.ddpfPixelFormat.dwRGBAlphaBitMask = from.ddpfPixelFormat.dwRGBAlphaBitMask;
    to.ddsCaps.dwCaps = from.ddsCaps.dwCaps;
}

}  // namespace

::DDSURFACEDESC ToSystem(const platform::DDSURFACEDESC& ours) {
    ::DDSURFACEDESC system{};
    CopyCommonFields(system, ours);
    system.dwSize = sizeof(system);
    return system;
}

platform::DDSURFACEDESC FromSystem(const ::DDSURFACEDESC& system) {
    platform::DDSURFACEDESC ours;
    CopyCommonFields(ours, system);
    ours.dwSize = sizeof(ours);
    return ours;
}

::RECT ToSystem(const platform::RECT& ours) {
    return ::RECT{ours.left, ours.top, ours.right, ours.bottom};
}

std::size_t PaletteEntryCount(platform::DWORD capabilities) {
    if ((capabilities & DDPCAPS_8BITENTRIES) != 0) {
        return 0;
    }
    if ((capabilities & DDPCAPS_8BIT) != 0) {
        return 256;
    }
    if ((capabilities & DDPCAPS_4BIT) != 0) {
        return 16;
    }
    if ((capabilities & DDPCAPS_2BIT) != 0) {
        return 4;
    }
    if ((capabilities & DDPCAPS_1BIT) != 0) {
        return 2;
    }
    return 0;
}

CalendarReading ReadCalendar() {
    const auto sinceEpoch = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::system_clock::now().time_since_epoch())
                                .count();
    // Floor division, so the millisecond part is 0..999 on either side of 1970.
    std::int64_t seconds = sinceEpoch / 1000;
    std::int64_t milliseconds = sinceEpoch % 1000;
    if (milliseconds < 0) {
        milliseconds += 1000;
        --seconds;
    }
    return CalendarReading{seconds, static_cast<std::int32_t>(milliseconds)};
}

std::int32_t MillisecondsBetween(const CalendarReading& start, const CalendarReading& now) {
    const std::uint64_t seconds =
        static_cast<std::uint64_t>(now.seconds) - static_cast<std::uint64_t>(start.seconds);
    const std::uint64_t milliseconds = static_cast<std::uint64_t>(now.milliseconds) -
                                       static_cast<std::uint64_t>(start.milliseconds);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(seconds * 1000 + milliseconds));
}

}  // namespace velmora::platform::win32
