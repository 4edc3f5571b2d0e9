#pragma once

// The image loader: bitmaps from the program's resources or from files,
// decoded with SDL2's BMP decoder into device-independent bitmaps.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ddraw/memory_gdi.h"
#include "platform/window/memory_kernel.h"

namespace velmora::platform {

// Largest bitmap the loader accepts, in either direction and in all.
constexpr int kMaxBitmapSide = 8192;
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{16} * 1024 * 1024;
constexpr std::size_t kMaxBitmapFileBytes = std::size_t{64} * 1024 * 1024;

// A bitmap file (with its 14-byte file header) decoded, or the reason it
// cannot be. Sizes and lengths are checked before the decoder sees the bytes.
struct DecodeResult {
    std::optional<DibImage> image;
    std::string error;
};
DecodeResult DecodeBitmapFile(std::span<const std::uint8_t> file);

// The platform's own decoder, given a file whose headers, sizes and lengths
// have passed the checks above; nothing (and the reason) when it refuses.
std::optional<DibImage> DecodeCheckedBitmap(std::span<const std::uint8_t> file, std::string& error);

// The file form of a bitmap resource (which starts at its info header): a
// file header is put in front, its pixel offset computed from the info
// header. Nothing when the info header cannot be made sense of.
std::optional<std::vector<std::uint8_t>> BitmapFileFromResource(
    std::span<const std::uint8_t> resource);

// Nearest-neighbour resize; each of width and height that is 0 keeps the
// image's own.
std::optional<DibImage> ScaleImage(const DibImage& image, int width, int height);

// LoadImageA for bitmaps in memory: by resource name from the program's
// module, or from a file path with LR_LOADFROMFILE. 0 on any failure.
HBITMAP LoadImageFromKernel(MemoryKernel& kernel, MemoryGdi& gdi, HMODULE module, const char* name,
                            UINT type, int width, int height, UINT flags);

}  // namespace velmora::platform
