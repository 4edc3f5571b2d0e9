#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/ddraw/memory.h"
#include "platform/ddraw/memory_gdi.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"

namespace velmora::test {

using namespace platform;

// A bitmap for the loaders: info header (12 bytes: the old core one), colour records, pixels.
struct BitmapLayout {
    std::uint32_t headerSize = 40;
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t bitCount = 8;
    std::uint32_t colorsUsed = 0;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> colours{};  // 0xFFRRGGBB: the high byte is the reserved byte
    std::vector<std::uint8_t> pixels{};    // row bytes, bottom-up, padded by the caller
};

inline void Put(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

// The bytes as a file holds them, or from the info header on, as a resource.
inline std::vector<std::uint8_t> BitmapBytes(const BitmapLayout& s, bool file = false) {
    const bool core = s.headerSize == 12;
    std::vector<std::uint8_t> out = {'B', 'M'};
    out.resize(14);  // file size, reserved, pixel offset: filled in below
    Put(out, s.headerSize, 4);
    Put(out, static_cast<std::uint32_t>(s.width), core ? 2 : 4);
    Put(out, static_cast<std::uint32_t>(s.height), core ? 2 : 4);
    Put(out, 1 | std::uint32_t{s.bitCount} << 16, 4);
    for (std::uint32_t v : {s.compression, std::uint32_t(s.pixels.size()), 0U, 0U, s.colorsUsed}) {
        Put(out, v, core ? 0 : 4);
    }
    out.resize(14 + s.headerSize, 0);
    for (std::uint32_t c : s.colours) {
        Put(out, c, core ? 3 : 4);
    }
    const std::uint32_t fields[] = {0, 0, static_cast<std::uint32_t>(out.size())};
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    for (int i = 0; i < 12; ++i) {
        out[2 + i] = static_cast<std::uint8_t>((i < 4 ? out.size() : fields[i / 4]) >> (i % 4 * 8));
    }
    return file ? out : std::vector<std::uint8_t>(out.begin() + 14, out.end());
}

inline DDSURFACEDESC Description(DWORD width = 0, DWORD height = 0) {
    DDSURFACEDESC d;
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | (width != 0 ? DDSD_WIDTH | DDSD_HEIGHT : DDSD_BACKBUFFERCOUNT);
    d.dwWidth = width;
    d.dwHeight = height;
    d.ddsCaps.dwCaps = width != 0 ? DDSCAPS_OFFSCREENPLAIN
                                  : DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    d.dwBackBufferCount = 1;
    return d;
}

inline std::vector<std::uint8_t> PixelsOf(const IDirectDrawSurface* surface) {  // no padding
    const MemorySurface* s = InMemory(surface);
    std::vector<std::uint8_t> out;
    for (int y = 0; y < s->Height(); ++y) {
        out.insert(out.end(), s->Pixels() + y * s->Pitch(),
                   s->Pixels() + y * s->Pitch() + s->Width());
    }
    return out;
}

inline PALETTEENTRY Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t f = 0) {
    return {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b), std::uint8_t(f)};
}

// The display as set-up leaves it (exclusive 640x480x8, a flipping primary
// and its back buffer), and a kernel whose only resource, if any, is ALL.
struct Rig {
    FaultInjector faults;
    DisplayDevice device;
    std::vector<std::uint8_t> resource;
    MemoryKernel kernel;
    IDirectDraw* dd = nullptr;
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
    std::vector<std::string> files;

    explicit Rig(std::ptrdiff_t pitch = 640,
                 std::vector<std::uint8_t> bytes = {resources::AllBitmap().begin(),
                                                    resources::AllBitmap().end()})
        : device(faults, pitch),
          resource(std::move(bytes)),
          kernel(faults, resource.empty() ? std::vector<Resource>{}
                                          : std::vector<Resource>{{"ALL", RT_BITMAP, resource}}) {
        device.DirectDrawCreate(nullptr, &dd, nullptr);
        dd->SetCooperativeLevel(7, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        dd->SetDisplayMode(640, 480, 8);
        DDSURFACEDESC d = Description();
        dd->CreateSurface(&d, &primary, nullptr);
        DDSCAPS caps{DDSCAPS_BACKBUFFER};
        primary->GetAttachedSurface(&caps, &back);
    }
    ~Rig() {
        for (const auto& path : files) {
            std::remove(path.c_str());
        }
    }

    // A file of this test's own in the temporary folder, opened by opening `name`.
    void File(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        files.push_back(::testing::TempDir() + "velmora_" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name() + name);
        if (std::FILE* f = std::fopen(files.back().c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        kernel.MapFile(name, files.back());
    }

    IDirectDrawSurface* Surface(DWORD width, DWORD height) {
        DDSURFACEDESC d = Description(width, height);
        IDirectDrawSurface* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
        return s;
    }
};

}  // namespace velmora::test
