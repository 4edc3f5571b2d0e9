#include "display/bitmap.h"

#include <algorithm>

#include "platform/ddraw/gdi.h"
#include "platform/little_endian.h"

namespace velmora::display {

using namespace platform;

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kColourTableBytes = 1024;

// Colour count of an accepted header: biClrUsed, or 1 << biBitCount.
std::uint64_t ColourCount(std::uint32_t colorsUsed, std::uint16_t bitCount) {
    return colorsUsed != 0 ? colorsUsed : std::uint64_t{1} << bitCount;
}

// Lays `count` RGBQUAD records from `records` over the table, never more
// than the table holds or the bytes supply.
void TakeRecords(PaletteTable& table, std::span<const std::uint8_t> records, std::uint64_t count,
                 bool keepFlags) {
    const std::uint64_t available = records.size() / 4;
    const std::uint64_t n = std::min<std::uint64_t>({count, available, table.size()});
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t* r = records.data() + i * 4;
        table[i] = PALETTEENTRY{r[2], r[1], r[0], keepFlags ? r[3] : std::uint8_t{0}};
    }
}

}  // namespace

PaletteTable DefaultPaletteTable() {
    PaletteTable table{};
    for (int i = 0; i < 256; ++i) {
        table[static_cast<std::size_t>(i)] =
            PALETTEENTRY{static_cast<std::uint8_t>(((i >> 5) & 7) * 255 / 7),
                         static_cast<std::uint8_t>(((i >> 2) & 7) * 255 / 7),
                         static_cast<std::uint8_t>((i & 3) * 85), 0};
    }
    return table;
}

PaletteTable PaletteFromResourceBytes(std::span<const std::uint8_t> resource) {
    PaletteTable table = DefaultPaletteTable();
    // The header must be there to be tested: a shorter resource is rejected.
    if (resource.size() < kInfoHeaderBytes) {
        return table;
    }
    const std::uint32_t size = ReadU32(resource, 0);
    const std::uint16_t bitCount = ReadU16(resource, 14);
    if (size < 40 || bitCount > 8) {
        return table;
    }
    if (size >= resource.size()) {
        return table;
    }
    TakeRecords(table, resource.subspan(size), ColourCount(ReadU32(resource, 32), bitCount), false);
    return table;
}

PaletteTable PaletteFromFileBytes(std::span<const std::uint8_t> fileStart) {
    PaletteTable table = DefaultPaletteTable();
    // A file too short for both headers is rejected like a bad header.
    if (fileStart.size() < kFileHeaderBytes + kInfoHeaderBytes) {
        return table;
    }
    const auto info = fileStart.subspan(kFileHeaderBytes);
    const std::uint32_t size = ReadU32(info, 0);
    const std::uint16_t bitCount = ReadU16(info, 14);
    if (size != 40 || bitCount > 8) {
        return table;
    }
    TakeRecords(table, fileStart.subspan(kFileHeaderBytes + kInfoHeaderBytes),
                ColourCount(ReadU32(info, 32), bitCount), true);
    return table;
}

PaletteTable ReadPaletteTable(Kernel& kernel, const char* name) {
    if (name == nullptr) {
        return DefaultPaletteTable();
    }
    const HRSRC resource = kernel.FindResourceA(0, name, RT_BITMAP);
    if (resource != 0) {
        const std::uint8_t* bytes = kernel.LockResource(kernel.LoadResource(0, resource));
        if (bytes == nullptr) {
            kernel.OutputDebugStringA("lock resource failed\n");
            return DefaultPaletteTable();
        }
        return PaletteFromResourceBytes({bytes, kernel.SizeofResource(0, resource)});
    }
    const HFILE file = kernel.lopen(name, OF_READ);
    if (file == HFILE_ERROR) {
        return DefaultPaletteTable();
    }
    std::array<std::uint8_t, kFileHeaderBytes + kInfoHeaderBytes + kColourTableBytes> bytes{};
    std::size_t got = 0;
    // The three reads: the file header, the info header, the colour records.
    for (const std::size_t part : {kFileHeaderBytes, kInfoHeaderBytes, kColourTableBytes}) {
        const UINT read = kernel.lread(file, bytes.data() + got, static_cast<UINT>(part));
        if (read == static_cast<UINT>(HFILE_ERROR) || read > part) {
            break;
        }
        got += read;
        if (read < part) {
            break;
        }
    }
    kernel.lclose(file);
    return PaletteFromFileBytes({bytes.data(), got});
}

IDirectDrawPalette* LoadPaletteFromBitmap(Kernel& kernel, IDirectDraw* directDraw,
                                          const char* name) {
    const PaletteTable table = ReadPaletteTable(kernel, name);
    if (directDraw == nullptr) {
        return nullptr;
    }
    IDirectDrawPalette* palette = nullptr;
    if (directDraw->CreatePalette(DDPCAPS_8BIT, table.data(), &palette, nullptr) != DD_OK) {
        return nullptr;
    }
    return palette;
}

HRESULT CopyBitmapToSurface(Kernel& kernel, IDirectDrawSurface* surface, HBITMAP bitmap,
                            std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height) {
    if (bitmap == 0 || surface == nullptr) {
        return E_FAIL;
    }
    Gdi& gdi = surface->Graphics();
    surface->Restore();
    const HDC image = gdi.CreateCompatibleDC(0);
    if (image == 0) {
        kernel.OutputDebugStringA("createcompatible dc failed\n");
    }
    gdi.SelectObject(image, bitmap);
    BITMAP record;
    gdi.GetObjectA(bitmap, sizeof(record), &record);
    if (width == 0) {
        width = record.bmWidth;
    }
    if (height == 0) {
        height = record.bmHeight;
    }
    DDSURFACEDESC description;
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_HEIGHT | DDSD_WIDTH;
    // An unreadable description draws nothing rather than guess a size.
    const bool sized = surface->GetSurfaceDesc(&description) == DD_OK;
    HDC target = 0;
    const HRESULT result = surface->GetDC(&target);
    if (result == DD_OK) {
        if (sized) {
            gdi.StretchBlt(target, 0, 0, static_cast<int>(description.dwWidth),
                           static_cast<int>(description.dwHeight), image, x, y, width, height,
                           SRCCOPY);
        }
        surface->ReleaseDC(target);
    }
    if (image != 0) {
        gdi.DeleteDC(image);
    }
    return result;
}

IDirectDrawSurface* LoadBitmapSurface(Kernel& kernel, IDirectDraw* directDraw, const char* name,
                                      std::int32_t width, std::int32_t height) {
    if (directDraw == nullptr) {
        return nullptr;
    }
    Gdi& gdi = directDraw->Graphics();
    HBITMAP bitmap = kernel.LoadImageA(gdi, kernel.GetModuleHandleA(nullptr), name, IMAGE_BITMAP,
                                       width, height, LR_CREATEDIBSECTION);
    if (bitmap == 0) {
        bitmap = kernel.LoadImageA(gdi, 0, name, IMAGE_BITMAP, width, height,
                                   LR_CREATEDIBSECTION | LR_LOADFROMFILE);
    }
    if (bitmap == 0) {
        return nullptr;
    }
    BITMAP record;
    gdi.GetObjectA(bitmap, sizeof(record), &record);
    DDSURFACEDESC description;
    description.dwSize = sizeof(description);
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    description.dwHeight = static_cast<DWORD>(record.bmHeight);
    description.dwWidth = static_cast<DWORD>(record.bmWidth);
    description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* surface = nullptr;
    if (directDraw->CreateSurface(&description, &surface, nullptr) != DD_OK) {
        gdi.DeleteObject(bitmap);
        return nullptr;
    }
    CopyBitmapToSurface(kernel, surface, bitmap, 0, 0, 0, 0);
    gdi.DeleteObject(bitmap);
    return surface;
}

}  // namespace velmora::display
