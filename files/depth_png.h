#pragma once

// The picture and its depth map as PNG files. A depth map written here is
// 8-bit greyscale, brighter = nearer, with the mapping (and where the
// resting brush sat) in a text chunk so that every depth comes back exactly;
// any other PNG is read by the luminance of its stored values (gamma and
// colour-profile chunks are ignored). Files from outside are hostile: the
// memory the reader takes is capped whatever a file declares, and every
// failure is one line of text.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stereo/relief.h"

namespace velmora::files {

constexpr int kMapWidth = 640;
constexpr int kMapHeight = 480;
constexpr std::size_t kMapSize = static_cast<std::size_t>(kMapWidth) * kMapHeight;

// White in a PNG from elsewhere: the nearest plateau the painter draws.
constexpr int kForeignWhiteDepth = 30;
// Files larger than this are refused before decoding.
constexpr std::size_t kMaxFileBytes = 64U * 1024U * 1024U;
// Wider or taller images are refused (libpng's user limits).
constexpr std::uint32_t kMaxImageSide = 16384;
// So are images whose pixel data would inflate to more than this: rows are
// decoded one at a time, so memory stays at a row, but inflating costs time.
constexpr std::uint64_t kMaxDecodedBytes = 256U * 1024U * 1024U;

// The brush's top-left corner, when a brush rests on the map.
struct BrushSpot {
    int x = 0;
    int y = 0;
};

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

// 640x480 palette indexes (stride 640) seen through a 256-entry palette, as
// an RGB PNG. On failure: empty, with `error` set.
std::vector<std::uint8_t> EncodePicturePng(const std::uint8_t* indexes,
                                           const std::array<Rgb, 256>& palette, std::string& error);

// 640x480 ARGB8888 pixels (stride 640), such as the depth view, as an RGB
// PNG.
std::vector<std::uint8_t> EncodeViewPng(const std::uint32_t* argb, std::string& error);

// 640x480 depths (stride 640) as the greyscale PNG described above
// (stereo::DepthGrey), the resting brush's spot recorded when there is one.
std::vector<std::uint8_t> EncodeDepthPng(const std::int8_t* depth,
                                         const std::optional<BrushSpot>& brush, std::string& error);

struct DecodedDepth {
    std::vector<std::int8_t> depth;  // 640x480, stride 640; empty on failure
    std::optional<BrushSpot> brush;  // from our own chunk only
    std::string error;               // one line, no file name, when it failed
    std::size_t decoderPeak = 0;     // the most memory libpng held at once
};

// Any PNG: our own depth maps exactly; others by luminance (black 0, white
// 30), scaled to fit 640x480 with the aspect ratio kept, centred, depth 0
// around.
DecodedDepth DecodeDepthPng(const std::uint8_t* bytes, std::size_t size);

// Reads and decodes a file; the error then reads "PATH: what is wrong".
DecodedDepth ReadDepthFile(const std::string& path);

}  // namespace velmora::files
