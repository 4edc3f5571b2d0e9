#pragma once

#include <cstdint>
#include <span>

namespace velmora::resources {

// The program's bitmap resource ALL: info header, colour table, pixels.
std::span<const std::uint8_t> AllBitmap();

}  // namespace velmora::resources
