#include "platform/window/image.h"

#include <cstring>

#include "platform/little_endian.h"

namespace velmora::platform {

namespace {

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

struct InfoHeader {
    std::uint32_t size = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // absolute
    std::uint32_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
};

// Reads the info header starting at `at`; the reason on failure.
std::optional<InfoHeader> ReadInfoHeader(std::span<const std::uint8_t> b, std::size_t at,
                                         std::string& error) {
    if (b.size() < at + 4) {
        error = "bitmap too short for its header";
        return std::nullopt;
    }
    InfoHeader h;
    h.size = ReadU32(b, at);
    if (h.size != 12 && h.size < 40) {
        error = "unsupported bitmap header size " + std::to_string(h.size);
        return std::nullopt;
    }
    if (b.size() - at < h.size) {
        error = "bitmap too short for its header";
        return std::nullopt;
    }
    if (h.size == 12) {
        h.width = ReadU16(b, at + 4);
        h.height = ReadU16(b, at + 6);
        h.bitCount = ReadU16(b, at + 10);
    } else {
        h.width = static_cast<std::int32_t>(ReadU32(b, at + 4));
        h.height = static_cast<std::int32_t>(ReadU32(b, at + 8));
        h.bitCount = ReadU16(b, at + 14);
        h.compression = ReadU32(b, at + 16);
        h.colorsUsed = ReadU32(b, at + 32);
    }
    if (h.height < 0) {
        h.height = -h.height;
    }
    if (h.width < 1 || h.height < 1 || h.width > kMaxBitmapSide || h.height > kMaxBitmapSide ||
        h.width * h.height > kMaxBitmapPixels) {
        error = "bitmap size out of range";
        return std::nullopt;
    }
    switch (h.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            error = "unsupported bit count " + std::to_string(h.bitCount);
            return std::nullopt;
    }
    if (h.bitCount <= 8 && h.colorsUsed > (1U << h.bitCount)) {
        error = "colour count out of range";
        return std::nullopt;
    }
    if (h.bitCount > 8 && h.colorsUsed > 256) {
        error = "colour count out of range";
        return std::nullopt;
    }
    return h;
}

}  // namespace

DecodeResult DecodeBitmapFile(std::span<const std::uint8_t> file) {
    DecodeResult result;
    if (file.size() < 14 + 4) {
        result.error = "bitmap too short for its header";
        return result;
    }
    if (file[0] != 'B' || file[1] != 'M') {
        result.error = "not a bitmap file";
        return result;
    }
    const auto header = ReadInfoHeader(file, 14, result.error);
    if (!header) {
        return result;
    }
    const std::uint64_t offset = ReadU32(file, 10);
    if (offset > file.size()) {
        result.error = "bitmap pixel offset past the end of the data";
        return result;
    }
    if (header->compression == 0 || header->compression == 3) {
        const std::uint64_t rowBytes =
            ((static_cast<std::uint64_t>(header->width) * header->bitCount + 31) / 32) * 4;
        if (offset + rowBytes * static_cast<std::uint64_t>(header->height) > file.size()) {
            result.error = "bitmap pixels run past the end of the data";
            return result;
        }
    } else if (header->compression != 1 && header->compression != 2) {
        result.error = "unsupported bitmap compression";
        return result;
    }
    result.image = DecodeCheckedBitmap(file, result.error);
    return result;
}

std::optional<std::vector<std::uint8_t>> BitmapFileFromResource(
    std::span<const std::uint8_t> resource) {
    std::string error;
    const auto header = ReadInfoHeader(resource, 0, error);
    if (!header) {
        return std::nullopt;
    }
    std::uint64_t table = 0;
    if (header->size == 12) {
        table = header->bitCount <= 8 ? (std::uint64_t{1} << header->bitCount) * 3 : 0;
    } else if (header->bitCount <= 8) {
        table = (header->colorsUsed != 0 ? header->colorsUsed : (1U << header->bitCount)) * 4ULL;
    } else {
        table = header->colorsUsed * 4ULL;
        if (header->compression == 3 && header->size == 40) {
            table += 12;
        }
    }
    const std::uint64_t offset = 14 + std::uint64_t{header->size} + table;
    if (offset > 14 + std::uint64_t{resource.size()} || resource.size() > kMaxBitmapFileBytes) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> file = {'B', 'M'};
    PutU32(file, static_cast<std::uint32_t>(14 + resource.size()));
    PutU32(file, 0);
    PutU32(file, static_cast<std::uint32_t>(offset));
    file.insert(file.end(), resource.begin(), resource.end());
    return file;
}

std::optional<DibImage> ScaleImage(const DibImage& image, int width, int height) {
    const int w = width != 0 ? width : image.width;
    const int h = height != 0 ? height : image.height;
    if (w < 1 || h < 1 || w > kMaxBitmapSide || h > kMaxBitmapSide ||
        static_cast<std::int64_t>(w) * h > kMaxBitmapPixels) {
        return std::nullopt;
    }
    if (w == image.width && h == image.height) {
        return image;
    }
    DibImage scaled;
    scaled.width = w;
    scaled.height = h;
    scaled.bitsPerPixel = image.bitsPerPixel;
    scaled.indexed = image.indexed;
    scaled.colours = image.colours;
    const std::size_t count = static_cast<std::size_t>(w) * h;
    if (image.indexed) {
        scaled.indexes.resize(count);
    } else {
        scaled.rgb.resize(count);
    }
    for (int y = 0; y < h; ++y) {
        const std::size_t sy =
            static_cast<std::size_t>(static_cast<std::int64_t>(y) * image.height / h);
        for (int x = 0; x < w; ++x) {
            const std::size_t sx =
                static_cast<std::size_t>(static_cast<std::int64_t>(x) * image.width / w);
            const std::size_t from = sy * image.width + sx;
            const std::size_t to = static_cast<std::size_t>(y) * w + x;
            if (image.indexed) {
                scaled.indexes[to] = image.indexes[from];
            } else {
                scaled.rgb[to] = image.rgb[from];
            }
        }
    }
    return scaled;
}

HBITMAP LoadImageFromKernel(MemoryKernel& kernel, MemoryGdi& gdi, HMODULE module, const char* name,
                            UINT type, int width, int height, UINT flags) {
    if (kernel.Faults().ShouldFail(Operation::kLoadImage)) {
        return 0;
    }
    if (name == nullptr || type != IMAGE_BITMAP || width < 0 || height < 0) {
        return 0;
    }
    std::optional<std::vector<std::uint8_t>> file;
    if ((flags & LR_LOADFROMFILE) != 0) {
        file = kernel.ReadWholeFile(name, kMaxBitmapFileBytes);
    } else {
        const HRSRC resource = kernel.FindResourceA(module, name, RT_BITMAP);
        const HGLOBAL data = kernel.LoadResource(module, resource);
        const std::uint8_t* bytes = data != 0 ? kernel.LockResource(data) : nullptr;
        if (bytes != nullptr) {
            file = BitmapFileFromResource({bytes, kernel.SizeofResource(module, resource)});
        }
    }
    if (!file) {
        return 0;
    }
    DecodeResult decoded = DecodeBitmapFile(*file);
    if (!decoded.image) {
        return 0;
    }
    auto scaled = ScaleImage(*decoded.image, width, height);
    if (!scaled) {
        return 0;
    }
    return gdi.CreateDibSection(std::move(*scaled));
}

}  // namespace velmora::platform
