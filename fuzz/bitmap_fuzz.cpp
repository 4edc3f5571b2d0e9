// Feeds arbitrary bytes to every reader of bitmap data: the decoder (as a
// file and as a resource) and both palette readers. None may crash, read
// out of bounds or accept a bitmap that breaks the loader's limits.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "display/bitmap.h"
#include "platform/window/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    const std::span<const std::uint8_t> bytes(data, size);
    const auto decoded = platform::DecodeBitmapFile(bytes);
    if (decoded.image) {
        const auto& image = *decoded.image;
        if (image.width < 1 || image.height < 1 || image.width > platform::kMaxBitmapSide ||
            image.height > platform::kMaxBitmapSide) {
            std::abort();
        }
        const auto pixels = static_cast<std::size_t>(image.width) * image.height;
        if ((image.indexed ? image.indexes.size() : image.rgb.size()) != pixels) {
            std::abort();
        }
    }
    if (const auto file = platform::BitmapFileFromResource(bytes)) {
        (void)platform::DecodeBitmapFile(*file);
    }
    (void)display::PaletteFromResourceBytes(bytes);
    (void)display::PaletteFromFileBytes(bytes.first(std::min<std::size_t>(size, 14 + 40 + 1024)));
    return 0;
}
