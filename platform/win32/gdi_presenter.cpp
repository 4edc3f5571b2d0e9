#include "platform/win32/gdi_presenter.h"

#include <algorithm>

// Last: it defines many of the names above as macros.
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {

namespace {

constexpr int kWidth = DisplayDevice::kScreenWidth;
constexpr int kHeight = DisplayDevice::kScreenHeight;

// A bitmap header with room for a full colour table.
struct BitmapHeader {
    ::BITMAPINFOHEADER header;
    ::RGBQUAD colours[256];
};

}  // namespace

GdiPresenter::GdiPresenter(const DisplayDevice& device, Path path)
    : device_(device), path_(path), coloured_(static_cast<std::size_t>(kWidth) * kHeight) {}

void GdiPresenter::ShowView(const std::uint32_t* view) {
    view_ = view;
    ++viewGeneration_;
}

void GdiPresenter::ViewChanged() {
    if (view_ != nullptr) {
        ++viewGeneration_;
    }
}

bool GdiPresenter::Present(platform::HDC dc, int scale) {
    const MemorySurface* primary = device_.Primary();
    if (view_ == nullptr && primary != nullptr && primary->Locked()) {
        return false;
    }
    const std::uint64_t generation = Generation();
    bool drawn = false;
    if (view_ != nullptr) {
        drawn = Draw(dc, scale, view_, kWidth, 32);
    } else if (primary != nullptr && primary->Pixels() != nullptr && primary->Width() == kWidth &&
               primary->Height() == kHeight) {
        BuildLookup(device_.ScreenPalette(), lookup_);
        // A bitmap's rows are whole 32-bit words: a pitch that is one is the
        // width of a bitmap the picture is the left part of.
        if (path_ == Path::kIndexes && primary->Pitch() % 4 == 0) {
            drawn = Draw(dc, scale, primary->Pixels(), static_cast<int>(primary->Pitch()), 8);
        } else {
            ColourFrame(primary->Pixels(), primary->Pitch(), lookup_, coloured_.data(), kWidth * 4);
            drawn = Draw(dc, scale, coloured_.data(), kWidth, 32);
        }
    } else {
        // No screen yet (or any more): show black.
        std::fill(coloured_.begin(), coloured_.end(), 0U);
        drawn = Draw(dc, scale, coloured_.data(), kWidth, 32);
    }
    if (drawn) {
        shownGeneration_ = generation;
        ++presentations_;
    }
    return drawn;
}

bool GdiPresenter::Draw(platform::HDC dc, int scale, const void* pixels, int bitmapWidth,
                        int bits) {
    BitmapHeader info{};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = bitmapWidth;
    info.header.biHeight = -kHeight;  // top row first
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<::WORD>(bits);
    info.header.biCompression = BI_RGB;
    if (bits == 8) {
        info.header.biClrUsed = 256;
        // The lookup's 0xAARRGGBB is a colour table entry's blue, green,
        // red byte order; the fourth byte must be zero there.
        for (std::size_t i = 0; i < lookup_.size(); ++i) {
            const std::uint32_t colour = lookup_[i];
            info.colours[i] =
                ::RGBQUAD{static_cast<::BYTE>(colour), static_cast<::BYTE>(colour >> 8),
                          static_cast<::BYTE>(colour >> 16), 0};
        }
    }
    const int drawn = ::StretchDIBits(
        SystemHandle<::HDC>(dc), 0, 0, kWidth * scale, kHeight * scale, 0, 0, kWidth, kHeight,
        pixels, reinterpret_cast<const ::BITMAPINFO*>(&info), DIB_RGB_COLORS, SRCCOPY);
    return drawn > 0;
}

}  // namespace velmora::platform::win32
