#pragma once

// What crosses the boundary between our layers' records and handles and the
// system's own. Include after our other headers (see system_headers.h).

#include <cstddef>
#include <cstdint>

#include "platform/ddraw/ddraw.h"
#include "platform/types.h"
#include "platform/win32/system_headers.h"

namespace velmora::platform::win32 {

// Our 108-byte surface description and the system's (larger on 64-bit,
// where the pixel address needs its own aligned slot), field by field. Each
// direction sets the size field to the size of the record it makes.
::DDSURFACEDESC ToSystem(const platform::DDSURFACEDESC& ours);
platform::DDSURFACEDESC FromSystem(const ::DDSURFACEDESC& system);

::RECT ToSystem(const platform::RECT& ours);

// How many entries CreatePalette reads for these capability flags; 0 for
// flags that name no table size we hand over.
std::size_t PaletteEntryCount(platform::DWORD capabilities);

// Handles kept in our pointer-sized fields.
inline std::uintptr_t HandleValue(const void* handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}
template <typename Handle>
Handle SystemHandle(std::uintptr_t value) {
    return reinterpret_cast<Handle>(value);
}

// A calendar reading: whole seconds and the millisecond part.
struct CalendarReading {
    std::int64_t seconds = 0;
    std::int32_t milliseconds = 0;
};
CalendarReading ReadCalendar();

// (seconds now − at start) × 1000 + (milliseconds now − at start), kept to
// 32 bits with wrap-around.
std::int32_t MillisecondsBetween(const CalendarReading& start, const CalendarReading& now);

}  // namespace velmora::platform::win32
