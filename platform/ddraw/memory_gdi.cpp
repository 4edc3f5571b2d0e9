#include "platform/ddraw/memory_gdi.h"

#include <cstring>
#include <limits>

namespace velmora::platform {

HBITMAP MemoryGdi::CreateDibSection(DibImage image) {
    const HBITMAP handle = nextHandle_++;
    bitmaps_.emplace(handle, std::move(image));
    return handle;
}

const DibImage* MemoryGdi::Bitmap(HBITMAP bitmap) const {
    const auto it = bitmaps_.find(bitmap);
    return it != bitmaps_.end() ? &it->second : nullptr;
}

int MemoryGdi::GetObjectA(HGDIOBJ object, int size, void* record) const {
    const DibImage* image = Bitmap(object);
    if (image == nullptr) {
        return 0;
    }
    if (record == nullptr) {
        return static_cast<int>(sizeof(BITMAP));
    }
    if (size < static_cast<int>(sizeof(BITMAP))) {
        return 0;
    }
    BITMAP bitmap;
    bitmap.bmType = 0;
    bitmap.bmWidth = image->width;
    bitmap.bmHeight = image->height;
    const int bits = image->indexed ? 8 : 32;
    bitmap.bmWidthBytes = ((image->width * bits + 31) / 32) * 4;
    bitmap.bmPlanes = 1;
    bitmap.bmBitsPixel = static_cast<WORD>(bits);
    std::memcpy(record, &bitmap, sizeof(bitmap));
    return static_cast<int>(sizeof(BITMAP));
}

bool MemoryGdi::DeleteObject(HGDIOBJ object) {
    const auto it = bitmaps_.find(object);
    if (it == bitmaps_.end()) {
        return false;
    }
    // A bitmap still selected into a context cannot be deleted.
    for (const auto& [handle, dc] : dcs_) {
        if (dc.selected == object) {
            return false;
        }
    }
    bitmaps_.erase(it);
    return true;
}

HDC MemoryGdi::CreateCompatibleDC(HDC /*reference*/) {
    if (device_.Faults().ShouldFail(Operation::kCreateCompatibleDC)) {
        return 0;
    }
    const HDC handle = nextHandle_++;
    dcs_.emplace(handle, DeviceContext{});
    return handle;
}

HGDIOBJ MemoryGdi::SelectObject(HDC dc, HGDIOBJ object) {
    const auto it = dcs_.find(dc);
    if (it == dcs_.end() || it->second.surface != nullptr || Bitmap(object) == nullptr) {
        return 0;
    }
    // A bitmap can be selected into one memory context at a time.
    for (const auto& [handle, other] : dcs_) {
        if (handle != dc && other.selected == object) {
            return 0;
        }
    }
    const HGDIOBJ previous = it->second.selected;
    it->second.selected = object;
    // The stock one-pixel bitmap of a fresh memory context stands in for "none".
    return previous != 0 ? previous : ~HGDIOBJ{0};
}

bool MemoryGdi::DeleteDC(HDC dc) {
    const auto it = dcs_.find(dc);
    if (it == dcs_.end() || it->second.surface != nullptr) {
        return false;
    }
    dcs_.erase(it);
    return true;
}

HDC MemoryGdi::CreateSurfaceDC(MemorySurface* surface) {
    const HDC handle = nextHandle_++;
    dcs_.emplace(handle, DeviceContext{surface, 0});
    return handle;
}

void MemoryGdi::DeleteSurfaceDC(HDC dc) {
    const auto it = dcs_.find(dc);
    if (it != dcs_.end() && it->second.surface != nullptr) {
        dcs_.erase(it);
    }
}

std::uint8_t MemoryGdi::NearestIndex(std::uint32_t rgb, const MemoryPalette* palette) {
    const int red = static_cast<int>((rgb >> 16) & 0xFF);
    const int green = static_cast<int>((rgb >> 8) & 0xFF);
    const int blue = static_cast<int>(rgb & 0xFF);
    if (palette == nullptr) {
        // No palette on screen: the 3-3-2 colour cube.
        return static_cast<std::uint8_t>(((red * 7 + 127) / 255) << 5 |
                                         ((green * 7 + 127) / 255) << 2 | ((blue * 3 + 127) / 255));
    }
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < 256; ++i) {
        const PALETTEENTRY& e = palette->Entries()[static_cast<std::size_t>(i)];
        const int dr = red - e.peRed;
        const int dg = green - e.peGreen;
        const int db = blue - e.peBlue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

bool MemoryGdi::StretchBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                           int sourceY, int sourceWidth, int sourceHeight, DWORD rop) {
    const auto to = dcs_.find(target);
    const auto from = dcs_.find(source);
    if (to == dcs_.end() || from == dcs_.end() || rop != SRCCOPY) {
        return false;
    }
    MemorySurface* surface = to->second.surface;
    const DibImage* image = Bitmap(from->second.selected);
    if (surface == nullptr || image == nullptr || !surface->Alive() || width <= 0 || height <= 0 ||
        sourceWidth <= 0 || sourceHeight <= 0) {
        return false;
    }
    std::uint8_t* pixels = surface->MutablePixels();
    // True-colour pixels map to the screen's palette; each distinct colour is
    // searched for once, not once per pixel.
    const MemoryPalette* screen = device_.ScreenPalette();
    std::unordered_map<std::uint32_t, std::uint8_t> nearest;
    auto convert = [&](std::uint32_t rgb) {
        const auto [it, added] = nearest.try_emplace(rgb, 0);
        if (added) {
            it->second = NearestIndex(rgb, screen);
        }
        return it->second;
    };
    const std::ptrdiff_t pitch = surface->Pitch();
    // Nearest-neighbour sampling; destination and source are both clipped,
    // so any rectangle is safe.
    for (int row = 0; row < height; ++row) {
        const std::int64_t ty = static_cast<std::int64_t>(y) + row;
        const std::int64_t sy = sourceY + static_cast<std::int64_t>(row) * sourceHeight / height;
        if (ty < 0 || ty >= surface->Height() || sy < 0 || sy >= image->height) {
            continue;
        }
        for (int column = 0; column < width; ++column) {
            const std::int64_t tx = static_cast<std::int64_t>(x) + column;
            const std::int64_t sx =
                sourceX + static_cast<std::int64_t>(column) * sourceWidth / width;
            if (tx < 0 || tx >= surface->Width() || sx < 0 || sx >= image->width) {
                continue;
            }
            const auto at = static_cast<std::size_t>(sy * image->width + sx);
            pixels[ty * pitch + tx] = image->indexed ? image->indexes[at] : convert(image->rgb[at]);
        }
    }
    return true;
}

}  // namespace velmora::platform
