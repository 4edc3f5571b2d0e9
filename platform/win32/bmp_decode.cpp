// The bitmap decoder of the Windows build: GDI itself unpacks the pixels
// (every bit depth, RLE and bit-field layout it knows) into a DIB section,
// which is turned into a device-independent bitmap of our own.

#include "platform/little_endian.h"
#include "platform/window/image.h"
// After our own headers, whose names it defines as macros.
#include "platform/win32/system_headers.h"

#include <cstdlib>
#include <cstring>

namespace {

using velmora::platform::DibImage;
using velmora::platform::ReadU16;
using velmora::platform::ReadU32;

constexpr std::size_t kFileHeader = 14;

// A BITMAPINFO with room for the largest colour table.
struct Info {
    ::BITMAPINFOHEADER header;
    ::RGBQUAD colours[256];
};

// What the decoder needs of the file's headers; the caller has checked
// that they fit and that the sizes are in range.
struct Layout {
    std::uint32_t headerSize = 0;
    LONG width = 0;
    LONG height = 0;  // negative: rows top-down
    WORD bitCount = 0;
    DWORD compression = BI_RGB;
    DWORD colorsUsed = 0;
};

Layout ReadLayout(std::span<const std::uint8_t> file) {
    Layout l;
    l.headerSize = ReadU32(file, kFileHeader);
    if (l.headerSize == 12) {
        l.width = ReadU16(file, kFileHeader + 4);
        l.height = ReadU16(file, kFileHeader + 6);
        l.bitCount = ReadU16(file, kFileHeader + 10);
    } else {
        l.width = static_cast<LONG>(ReadU32(file, kFileHeader + 4));
        l.height = static_cast<LONG>(ReadU32(file, kFileHeader + 8));
        l.bitCount = ReadU16(file, kFileHeader + 14);
        l.compression = ReadU32(file, kFileHeader + 16);
        l.colorsUsed = ReadU32(file, kFileHeader + 32);
    }
    return l;
}

// Owns the GDI objects of one decoding.
class Section {
  public:
    Section() : dc_(::CreateCompatibleDC(nullptr)) {}
    ~Section() {
        if (bitmap_ != nullptr) {
            ::DeleteObject(bitmap_);
        }
        if (dc_ != nullptr) {
            ::DeleteDC(dc_);
        }
    }
    Section(const Section&) = delete;
    Section& operator=(const Section&) = delete;

    // A top-down DIB section of the given format, filled from the file's
    // pixels described by `source`. The rows, or null when GDI refuses.
    const std::uint8_t* Fill(const Info& format, const Info& source, const std::uint8_t* bits,
                             int rows) {
        void* pixels = nullptr;
        if (dc_ == nullptr) {
            return nullptr;
        }
        bitmap_ = ::CreateDIBSection(dc_, reinterpret_cast<const BITMAPINFO*>(&format),
                                     DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (bitmap_ == nullptr || pixels == nullptr ||
            ::SetDIBits(dc_, bitmap_, 0, static_cast<UINT>(rows), bits,
                        reinterpret_cast<const BITMAPINFO*>(&source), DIB_RGB_COLORS) != rows) {
            return nullptr;
        }
        ::GdiFlush();
        return static_cast<const std::uint8_t*>(pixels);
    }

  private:
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
};

}  // namespace

namespace velmora::platform {

std::optional<DibImage> DecodeCheckedBitmap(std::span<const std::uint8_t> file,
                                            std::string& error) {
    const Layout l = ReadLayout(file);
    const std::size_t offset = ReadU32(file, 10);
    const int rows = static_cast<int>(std::labs(l.height));
    const bool indexed = l.bitCount <= 8;

    // The file's own headers are rewritten as a plain info header, so GDI
    // sees one layout whatever the file's header version.
    Info source{};
    source.header.biSize = sizeof(::BITMAPINFOHEADER);
    source.header.biWidth = l.width;
    source.header.biHeight = l.height;
    source.header.biPlanes = 1;
    source.header.biBitCount = l.bitCount;
    source.header.biCompression = l.compression;
    if (l.compression == BI_RLE8 || l.compression == BI_RLE4) {
        // GDI reads compressed data up to this size: no further than the file.
        source.header.biSizeImage = static_cast<DWORD>(file.size() - offset);
    }

    DibImage image;
    image.width = l.width;
    image.height = rows;
    image.bitsPerPixel = indexed ? 8 : l.bitCount;  // palette images are unpacked to bytes
    image.indexed = indexed;
    Info target{};
    target.header.biSize = sizeof(::BITMAPINFOHEADER);
    target.header.biWidth = l.width;
    target.header.biHeight = -rows;
    target.header.biPlanes = 1;
    target.header.biCompression = BI_RGB;

    if (indexed) {
        const std::size_t count = l.colorsUsed != 0 ? l.colorsUsed : std::size_t{1} << l.bitCount;
        const std::size_t entry = l.headerSize == 12 ? 3 : 4;
        const std::size_t table = kFileHeader + l.headerSize;
        if (table + count * entry > file.size()) {
            error = "bitmap colour table runs past the end of the data";
            return std::nullopt;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* c = &file[table + i * entry];
            image.colours.push_back(PALETTEENTRY{c[2], c[1], c[0], 0});
        }
        // GDI matches colours, not indexes: with a table of distinct
        // stand-in colours on both sides every index maps to itself, even
        // where the file's table repeats a colour.
        source.header.biClrUsed = 1U << l.bitCount;
        for (DWORD i = 0; i < source.header.biClrUsed; ++i) {
            source.colours[i] = ::RGBQUAD{0, 0, static_cast<BYTE>(i), 0};
        }
        target.header.biBitCount = 8;
        target.header.biClrUsed = 256;
        for (DWORD i = 0; i < 256; ++i) {
            target.colours[i] = ::RGBQUAD{0, 0, static_cast<BYTE>(i), 0};
        }
    } else {
        if (l.compression == BI_BITFIELDS) {
            // Three masks, after a plain info header or inside a longer one:
            // at the same place either way.
            constexpr std::size_t kMasks = kFileHeader + sizeof(::BITMAPINFOHEADER);
            if (kMasks + 12 > file.size()) {
                error = "bitmap colour masks run past the end of the data";
                return std::nullopt;
            }
            std::memcpy(source.colours, &file[kMasks], 12);
        }
        target.header.biBitCount = 32;
    }

    Section section;
    const std::uint8_t* pixels = section.Fill(target, source, file.data() + offset, rows);
    if (pixels == nullptr) {
        error = "Windows cannot decode this bitmap";
        return std::nullopt;
    }
    const std::size_t width = static_cast<std::size_t>(l.width);
    const std::size_t count = width * static_cast<std::size_t>(rows);
    if (indexed) {
        const std::size_t stride = (width + 3) & ~std::size_t{3};
        image.indexes.resize(count);
        for (std::size_t y = 0; y < static_cast<std::size_t>(rows); ++y) {
            std::memcpy(&image.indexes[y * width], pixels + y * stride, width);
        }
        for (const std::uint8_t index : image.indexes) {
            if (index >= image.colours.size()) {
                error = "bitmap pixel outside its colour table";
                return std::nullopt;
            }
        }
    } else {
        image.rgb.resize(count);
        std::memcpy(image.rgb.data(), pixels, count * 4);
        for (std::uint32_t& rgb : image.rgb) {
            rgb &= 0xFFFFFFU;
        }
    }
    return image;
}

}  // namespace velmora::platform
