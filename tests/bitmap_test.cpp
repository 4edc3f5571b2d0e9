#include <gtest/gtest.h>

#include "display/bitmap.h"
#include "platform/window/image.h"
#include "tests/bitmap_support.h"

namespace velmora::display {
namespace {

using namespace platform;
using test::BitmapBytes;
using test::PixelsOf;
using test::Rgb;
using test::Rig;
using Bytes = std::vector<std::uint8_t>;
using Colours = std::vector<std::uint32_t>;

PaletteTable EntriesOf(const IDirectDrawPalette* palette) {
    return palette != nullptr ? InMemory(palette)->Entries() : PaletteTable{};
}

// The default table under the first n records; files pass the reserved byte on as flags.
PaletteTable Expected(const Colours& records, std::size_t n, bool file) {
    PaletteTable table = DefaultPaletteTable();
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t v = records[k];
        table[k] = Rgb(v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF, file ? v >> 24 : 0);
    }
    return table;
}

// Layouts: {header size, width, height, bits, colours used, compression, records, pixels}.
TEST(PaletteTable, DefaultCubeHeaderRulesHostileLengthsAndResourceElseFile) {
    const int level[] = {0, 36, 72, 109, 145, 182, 218, 255};
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(DefaultPaletteTable()[i], Rgb(level[i >> 5], level[(i >> 2) & 7], (i & 3) * 85));
    }
    const Colours many(300, 0x010203U);
    const Colours two = {0x7F112233U, 0xFF445566U, 0x778899U};
    const Colours three = {0x010101U, 0x020202U, 0x030303U};
    const Bytes huge = BitmapBytes({40, 4, 2, 8, 0x80000000U, 0, three});
    const Bytes file = BitmapBytes({40, 4, 2, 8, 2, 0, two}, true);
    // Below: a record cut in half, headers cut short, a header that fills the whole resource.
    const struct {
        Bytes bytes;
        bool file;
        const Colours& records;
        std::size_t n;
    } cases[] = {{BitmapBytes({40, 4, 2, 4, 0, 0, many}), false, many, 16},
                 {BitmapBytes({40, 4, 2, 8, 2, 0, two}), false, two, 2},
                 {file, true, two, 2},
                 {BitmapBytes({40, 4, 2, 24, 0, 0, two}), false, two, 0},
                 {BitmapBytes({12, 4, 2, 8, 0, 0, many}), false, many, 0},
                 {BitmapBytes({40, 4, 2, 0, 0, 0, three}), false, three, 1},
                 {BitmapBytes({124, 4, 2, 8, 1, 0, three}), false, three, 1},
                 {BitmapBytes({124, 4, 2, 8, 1, 0, three}, true), true, three, 0},
                 {huge, false, three, 3},
                 {BitmapBytes({40, 4, 2, 8, 300, 0, many}), false, many, 256},
                 {Bytes(huge.begin(), huge.begin() + 46), false, three, 1},
                 {Bytes(huge.begin(), huge.begin() + 39), false, three, 0},
                 {Bytes(file.begin(), file.begin() + 53), true, three, 0},
                 {Bytes(huge.begin(), huge.begin() + 40), false, three, 0}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(c.file ? PaletteFromFileBytes(c.bytes) : PaletteFromResourceBytes(c.bytes),
                  Expected(c.records, c.n, c.file))
            << "case " << i;
    }

    // No resource: the file is read and closed; a missing or short one gives the default.
    Rig none(640, {});
    none.File("ALL", file);
    none.File("short", {file.begin(), file.begin() + 30});
    EXPECT_EQ(EntriesOf(LoadPaletteFromBitmap(none.kernel, none.dd, "ALL")),
              Expected(two, 2, true));
    EXPECT_EQ(none.kernel.OpenFiles(), 0U);
    for (const char* name : {"short", "missing", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(EntriesOf(LoadPaletteFromBitmap(none.kernel, none.dd, name)),
                  DefaultPaletteTable());
    }
    // A resource wins even when rejected or unreadable: no file is opened.
    Rig rejected(640, BitmapBytes({40, 4, 2, 24}));
    Rig locked;
    locked.faults.Arm(Operation::kLockResource, 1);
    for (Rig* r : {&rejected, &locked}) {
        EXPECT_EQ(EntriesOf(LoadPaletteFromBitmap(r->kernel, r->dd, "ALL")), DefaultPaletteTable());
        EXPECT_EQ(r->kernel.FilesOpened(), 0U);
    }
    EXPECT_EQ(locked.kernel.DebugOutput(), std::vector<std::string>{"lock resource failed\n"});
    none.faults.Arm(Operation::kCreatePalette, 1);
    EXPECT_EQ(LoadPaletteFromBitmap(none.kernel, none.dd, "ALL"), nullptr);
}

TEST(BitmapSurface, CopyStretchesTheSourceAndLoadTakesTheResourceElseTheFile) {
    Rig rig;
    MemoryGdi& gdi = rig.device.Graphics();
    IDirectDrawSurface* surface = rig.Surface(8, 4);
    const HBITMAP bitmap = gdi.CreateDibSection({4, 2, 8, true, {1, 2, 3, 4, 5, 6, 7, 8}, {}, {}});
    EXPECT_EQ(CopyBitmapToSurface(rig.kernel, nullptr, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(rig.kernel, surface, 0, 0, 0, 0, 0), E_FAIL);
    // Restored, then the whole bitmap doubled both ways, then the rectangle (2, 1, 2 x 1).
    rig.device.LoseSurfaces();
    ASSERT_EQ(CopyBitmapToSurface(rig.kernel, surface, bitmap, 0, 0, 0, 0), DD_OK);
    EXPECT_EQ(PixelsOf(surface), (Bytes{1, 1, 2, 2, 3, 3, 4, 4, 1, 1, 2, 2, 3, 3, 4, 4,
                                        5, 5, 6, 6, 7, 7, 8, 8, 5, 5, 6, 6, 7, 7, 8, 8}));
    ASSERT_EQ(CopyBitmapToSurface(rig.kernel, surface, bitmap, 2, 1, 2, 1), DD_OK);
    const Bytes expected = {7, 7, 7, 7, 8, 8, 8, 8, 7, 7, 7, 7, 8, 8, 8, 8,
                            7, 7, 7, 7, 8, 8, 8, 8, 7, 7, 7, 7, 8, 8, 8, 8};
    EXPECT_EQ(PixelsOf(surface), expected);
    // No memory context, no device context or no description: nothing drawn.
    for (auto [fails, code] : {std::pair{Operation::kCreateCompatibleDC, DD_OK},
                               std::pair{Operation::kGetDC, DDERR_CANTCREATEDC},
                               std::pair{Operation::kGetSurfaceDesc, DD_OK}}) {
        rig.faults.Arm(fails, 1);
        EXPECT_EQ(CopyBitmapToSurface(rig.kernel, surface, bitmap, 0, 0, 0, 0), code);
        EXPECT_EQ(PixelsOf(surface), expected);
        EXPECT_EQ(gdi.LiveDCs(), 0U);
    }
    EXPECT_EQ(rig.kernel.DebugOutput(), std::vector<std::string>{"createcompatible dc failed\n"});
    // By hand, clipped: rows 2, 3 and columns 0, 1 take source (2, 0), (3, 0). Refused: another
    // raster operation, an empty rectangle, a target that is no surface's.
    const HDC memory = gdi.CreateCompatibleDC(0);
    HDC target = 0;
    ASSERT_TRUE(gdi.SelectObject(memory, bitmap) != 0 && surface->GetDC(&target) == DD_OK);
    DDSURFACEDESC d = test::Description();
    EXPECT_EQ((std::vector<bool>{
                  gdi.SelectObject(gdi.CreateCompatibleDC(0), bitmap) != 0,
                  gdi.DeleteObject(bitmap), surface->Lock(nullptr, &d, 1, nullptr) == DD_OK,
                  gdi.StretchBlt(target, -2, 2, 8, 4, memory, 0, 0, 8, 2, SRCCOPY),
                  gdi.StretchBlt(target, 0, 0, 4, 4, memory, 0, 0, 2, 2, 0xEE0086),
                  gdi.StretchBlt(target, 0, 0, 0, 4, memory, 0, 0, 2, 2, SRCCOPY),
                  gdi.StretchBlt(memory, 0, 0, 4, 4, memory, 0, 0, 2, 2, SRCCOPY),
                  gdi.DeleteDC(target), surface->ReleaseDC(target) == DD_OK, gdi.DeleteDC(memory),
                  gdi.DeleteDC(memory), gdi.DeleteObject(bitmap)}),
              (std::vector<bool>{false, false, false, true, false, false, false, false, true, true,
                                 false, true}));
    Bytes clipped = expected;
    clipped[16] = clipped[24] = 3;
    clipped[17] = clipped[25] = 4;
    EXPECT_EQ(PixelsOf(surface), clipped);
    EXPECT_EQ(gdi.GetObjectA(bitmap, sizeof(BITMAP), nullptr), 0);

    // The resource at its own size (rows are stored bottom-up) and at half of it.
    IDirectDrawSurface* tile = LoadBitmapSurface(rig.kernel, rig.dd, "ALL", 0, 0);
    IDirectDrawSurface* half = LoadBitmapSurface(rig.kernel, rig.dd, "ALL", 40, 60);
    ASSERT_TRUE(tile != nullptr && half != nullptr);
    Bytes rows;
    for (int y = 119; y >= 0; --y) {
        rows.insert(rows.end(), rig.resource.begin() + 1064 + y * 80,
                    rig.resource.begin() + 1144 + y * 80);
    }
    EXPECT_EQ(PixelsOf(tile), rows);
    EXPECT_EQ(PixelsOf(half)[40 * 59 + 39], rows[80 * 118 + 78]);
    EXPECT_EQ(std::pair(InMemory(half)->Width(), InMemory(half)->Height()), std::pair(40, 60));
    // No resource of that name: its file is tried; a negative size is refused before either.
    EXPECT_TRUE(LoadBitmapSurface(rig.kernel, rig.dd, "ALX", 0, 0) == nullptr &&
                LoadBitmapSurface(rig.kernel, rig.dd, "ALL", -1, 0) == nullptr);
    EXPECT_EQ(rig.kernel.FilesOpened(), 1U);
    rig.faults.Arm(Operation::kCreateSurface, 1);
    EXPECT_EQ(LoadBitmapSurface(rig.kernel, rig.dd, "ALL", 0, 0), nullptr);
    EXPECT_EQ(gdi.LiveBitmaps() + gdi.LiveDCs(), 1U) << "the second memory context";

    // Else the file of that name; true colours take the nearest of the 3-3-2 cube, then of
    // the screen's palette.
    Rig fallback(640, BitmapBytes({40, 100000}));
    fallback.File("ALL",
                  BitmapBytes({40, 1, 2, 24, 0, 0, {}, {48, 32, 16, 0, 0, 255, 0, 0}}, true));
    PaletteTable screen{};
    screen[9] = Rgb(20, 30, 50);
    screen[200] = Rgb(10, 250, 5);
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(fallback.dd->CreatePalette(DDPCAPS_8BIT, screen.data(), &palette, nullptr), DD_OK);
    for (const Bytes& pixels : {Bytes{0x1C, 0x05}, Bytes{200, 9}}) {
        surface = LoadBitmapSurface(fallback.kernel, fallback.dd, "ALL", 0, 0);
        ASSERT_NE(surface, nullptr);
        EXPECT_EQ(PixelsOf(surface), pixels);
        fallback.primary->SetPalette(palette);
    }
    Rig nothing(640, {});
    EXPECT_EQ(LoadBitmapSurface(nothing.kernel, nothing.dd, "ALL", 0, 0), nullptr);
}

// Each platform's own decoder gives the same pixels (indexes, else 0xRRGGBB) from every
// bit depth, header version, row order, packing and compression.
TEST(ImageLoader, DecodesEveryLayoutAlikeAndRefusesHostileFiles) {
    const Colours grey(256, 0x123456);
    const std::pair<test::BitmapLayout, Colours> layouts[] = {
        {{40, 3, 1, 4, 0, 0, Colours(16, 0x123456), {0x12, 0x30, 0, 0}}, {1, 2, 3}},
        {{40, 10, 1, 1, 0, 0, {0, 0x123456}, {0xA0, 0x40, 0, 0}}, {1, 0, 1, 0, 0, 0, 0, 0, 0, 1}},
        {{40, 2, -2, 8, 4, 0, Colours(4, 0), {1, 2, 0, 0, 3, 0, 0, 0}}, {1, 2, 3, 0}},  // top-down
        {{12, 2, 1, 8, 0, 0, grey, {1, 0, 0, 0}}, {1, 0}},
        {{40, 5, 1, 8, 8, 1, Colours(8, 0), {2, 5, 3, 6, 0, 1}}, {5, 5, 6, 6, 6}},  // runs
        {{40, 1, 2, 24, 0, 0, {}, {48, 32, 16, 0, 0, 255, 0, 0}}, {0x00FF00U, 0x102030U}},
        {{40, 2, 1, 32, 0, 0, {}, {48, 32, 16, 0, 255, 0, 0, 0}}, {0x102030U, 0x0000FFU}},
        {{40, 3, 1, 16, 0, 0, {}, {0, 0x7C, 0xE0, 3, 0x1F, 0, 0, 0}}, {0xFF0000, 0xFF00, 0xFF}},
        {{40, 3, 1, 16, 0, 3, {0x1F, 0x3E0, 0x7C00}, {0x1F, 0, 0xE0, 3, 0, 0x7C, 0, 0}},
         {0xFF0000, 0xFF00, 0xFF}},  // bit fields, red in the low bits
    };
    for (const auto& [bitmap, pixels] : layouts) {
        const auto decoded = DecodeBitmapFile(BitmapBytes(bitmap, true));
        ASSERT_TRUE(decoded.image) << bitmap.bitCount << ": " << decoded.error;
        const DibImage& image = *decoded.image;
        EXPECT_EQ(image.indexed ? Colours(image.indexes.begin(), image.indexes.end()) : image.rgb,
                  pixels)
            << bitmap.bitCount << " bits, " << bitmap.width << " wide";
        // One decoder widens the table of low depths to 256 entries.
        const std::uint32_t c = bitmap.colours.size() > 1 ? bitmap.colours[1] : 0;
        ASSERT_EQ(image.indexed, bitmap.bitCount <= 8);
        EXPECT_TRUE(!image.indexed || (image.colours.size() > 1 &&
                                       image.colours[1] == Rgb(c >> 16, c >> 8 & 0xFF, c & 0xFF)));
    }

    const Bytes valid = BitmapBytes({40, 4, 2, 8, 0, 0, grey, Bytes(8, 7)}, true);
    ASSERT_TRUE(DecodeBitmapFile(valid).image);
    const auto with = [&valid](std::size_t at, std::uint8_t value) {
        Bytes bytes = valid;
        bytes[at] = value;
        return bytes;
    };
    const std::string cut = "bitmap too short for its header";
    const std::string range = "bitmap size out of range";
    // The last three: too wide, too tall (though every pixel is there), a pixel past the
    // colour table (which each decoder words its own way).
    const std::pair<Bytes, std::string> hostile[] = {
        {{}, cut},
        {{valid.begin(), valid.begin() + 10}, cut},  // no info header
        {{valid.begin(), valid.begin() + 40}, cut},  // header cut
        {{valid.begin(), valid.end() - 3}, "bitmap pixels run past the end of the data"},
        {with(1, 'X'), "not a bitmap file"},
        {with(21, 0x7F), range},                        // width 2^31 - 1
        {with(49, 0x80), "colour count out of range"},  // 2^31 colours
        {with(17, 0x7F), cut},                          // header size 2^31
        {with(13, 0x7F), "bitmap pixel offset past the end of the data"},
        {BitmapBytes({40, 8193, 1, 8, 0, 0, grey, Bytes(8196, 0)}, true), range},
        {BitmapBytes({40, 1, 8193, 8, 0, 0, grey, Bytes(8193 * 4, 0)}, true), range},
        {BitmapBytes({40, 2, 1, 8, 3, 0, {0, 0, 0}, {1, 3, 0, 0}}, true), ""}};
    for (const auto& [bytes, error] : hostile) {
        const auto result = DecodeBitmapFile(bytes);
        EXPECT_TRUE(!result.image && !result.error.empty() && result.error.starts_with(error))
            << error << ": " << result.error;
    }
    EXPECT_FALSE(BitmapFileFromResource({}));
    EXPECT_TRUE(BitmapFileFromResource(BitmapBytes({40, 4, 2, 24})))
        << "the header alone: pixels are the decoder's to miss";
    EXPECT_FALSE(ScaleImage(*DecodeBitmapFile(valid).image, 100000, 1));
    EXPECT_TRUE(ScaleImage(*DecodeBitmapFile(valid).image, 1, 8192)) << "as tall as allowed";
}

}  // namespace
}  // namespace velmora::display
