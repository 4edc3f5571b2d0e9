#include <gtest/gtest.h>

#include "platform/ddraw/memory.h"

#include <fstream>
#include <iterator>

#include "display/bitmap.h"
#include "platform/ddraw/memory_gdi.h"
#include "platform/window/image.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"
#include "tests/bitmap_support.h"

namespace velmora::display {
namespace {

using namespace platform;
using test::BitmapLayout;
using test::TempFile;

// The display objects and kernel the loaders run against, with an optional
// resource named ALL.
struct Loaders {
    FaultInjector faults;
    DisplayDevice device{faults};
    std::vector<std::uint8_t> resource;
    MemoryKernel kernel;
    IDirectDraw* dd = nullptr;

    explicit Loaders(std::vector<std::uint8_t> bytes = {}, bool hasResource = true)
        : resource(std::move(bytes)),
          kernel(faults, hasResource ? std::vector<Resource>{{"ALL", RT_BITMAP, resource}}
                                     : std::vector<Resource>{}) {
        device.DirectDrawCreate(nullptr, &dd, nullptr);
        dd->SetCooperativeLevel(1, 0x11);
        dd->SetDisplayMode(640, 480, 8);
    }
};

std::vector<std::uint8_t> DeliveredAll() {
    const auto bytes = resources::AllBitmap();
    return {bytes.begin(), bytes.end()};
}

PALETTEENTRY Rgb(int r, int g, int b, int flags = 0) {
    return PALETTEENTRY{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                        static_cast<std::uint8_t>(b), static_cast<std::uint8_t>(flags)};
}

TEST(PaletteTable, DefaultTableIsThe332Cube) {
    const PaletteTable t = DefaultPaletteTable();
    EXPECT_EQ(t[0], Rgb(0, 0, 0));
    EXPECT_EQ(t[3], Rgb(0, 0, 255));
    EXPECT_EQ(t[28], Rgb(0, 255, 0));
    EXPECT_EQ(t[73], Rgb(72, 72, 85));
    EXPECT_EQ(t[224], Rgb(255, 0, 0));
    EXPECT_EQ(t[255], Rgb(255, 255, 255));
    EXPECT_EQ(t[0x92], Rgb(145, 145, 170));  // levels 4, 4, 2
    EXPECT_EQ(t[0xDB], Rgb(218, 218, 255));  // levels 6, 6, 3
    for (const auto& e : t) {
        EXPECT_EQ(e.peFlags, 0);
    }
    Loaders l(DeliveredAll());
    EXPECT_EQ(ReadPaletteTable(l.kernel, nullptr), t);
}

TEST(PaletteTable, DeliveredAllGivesEveryEntry) {
    const PaletteTable t = PaletteFromResourceBytes(DeliveredAll());
    EXPECT_EQ(t[1], Rgb(0, 0, 51));
    EXPECT_EQ(t[36], Rgb(51, 0, 0));
    EXPECT_EQ(t[220], Rgb(53, 53, 53));
    EXPECT_EQ(t[246], Rgb(255, 251, 240));
    EXPECT_EQ(t[215], Rgb(255, 255, 255));
    EXPECT_EQ(t[216], Rgb(0, 0, 0));
    EXPECT_EQ(t[235], Rgb(255, 255, 255));
    EXPECT_EQ(t[247], Rgb(160, 160, 164));
    EXPECT_EQ(t[252], Rgb(0, 0, 255));
    // The delivered bitmap itself: 80x120, 8 bits, 10664 bytes, pixels 0..231.
    const auto all = DeliveredAll();
    ASSERT_EQ(all.size(), 10664U);
    EXPECT_EQ(all[0], 40);
    EXPECT_EQ(all[4], 80);
    EXPECT_EQ(all[8], 120);
    EXPECT_EQ(all[14], 8);
    for (std::size_t i = 40 + 1024; i < all.size(); ++i) {
        ASSERT_LE(all[i], 231);
    }
}

TEST(PaletteTable, ResourceHeaderRulesAndColourCounts) {
    BitmapLayout four;
    four.bitCount = 4;
    for (std::uint32_t i = 0; i < 16; ++i) {
        four.colours.push_back(0x00010203U * (i + 1));
    }
    PaletteTable t = PaletteFromResourceBytes(test::ResourceBytes(four));
    EXPECT_EQ(t[0], Rgb(1, 2, 3));
    EXPECT_EQ(t[15], Rgb(16, 32, 48));
    EXPECT_EQ(t[73], Rgb(72, 72, 85));

    BitmapLayout two;
    two.colorsUsed = 2;
    two.colours = {0x00112233U, 0xFF445566U, 0x00778899U};
    t = PaletteFromResourceBytes(test::ResourceBytes(two));
    EXPECT_EQ(t[0], Rgb(0x11, 0x22, 0x33));
    EXPECT_EQ(t[1], Rgb(0x44, 0x55, 0x66)) << "resource flags are always 0";
    EXPECT_EQ(t[2], DefaultPaletteTable()[2]);

    BitmapLayout truecolour;
    truecolour.bitCount = 24;
    truecolour.colours = {0x00112233U};
    EXPECT_EQ(PaletteFromResourceBytes(test::ResourceBytes(truecolour)), DefaultPaletteTable());

    BitmapLayout core;
    core.headerSize = 12;
    core.colours.assign(256, 0x00FFFFFFU);
    EXPECT_EQ(PaletteFromResourceBytes(test::ResourceBytes(core)), DefaultPaletteTable());

    BitmapLayout zero;
    zero.bitCount = 0;
    zero.colours = {0x00102030U, 0x00405060U};
    t = PaletteFromResourceBytes(test::ResourceBytes(zero));
    EXPECT_EQ(t[0], Rgb(0x10, 0x20, 0x30));
    EXPECT_EQ(t[1], DefaultPaletteTable()[1]);

    // A 124-byte header: records right after it.
    BitmapLayout v5;
    v5.headerSize = 124;
    v5.colorsUsed = 1;
    v5.colours = {0x00ABCDEFU};
    t = PaletteFromResourceBytes(test::ResourceBytes(v5));
    EXPECT_EQ(t[0], Rgb(0xAB, 0xCD, 0xEF));
    // ... and the same header in a file is rejected.
    EXPECT_EQ(PaletteFromFileBytes(test::FileBytes(v5)), DefaultPaletteTable());
}

TEST(PaletteTable, HostileCountsAndLengthsStayInBounds) {
    // 2^31 colours, but only three records present: three taken, no more.
    BitmapLayout many;
    many.colorsUsed = 0x80000000U;
    many.colours = {0x00010101U, 0x00020202U, 0x00030303U};
    PaletteTable t = PaletteFromResourceBytes(test::ResourceBytes(many));
    EXPECT_EQ(t[2], Rgb(3, 3, 3));
    EXPECT_EQ(t[3], DefaultPaletteTable()[3]);
    t = PaletteFromFileBytes(test::FileBytes(many));
    EXPECT_EQ(t[2], Rgb(3, 3, 3));
    EXPECT_EQ(t[3], DefaultPaletteTable()[3]);

    // More than 256 records available: only 256 are taken.
    BitmapLayout overfull;
    overfull.colorsUsed = 300;
    overfull.colours.assign(300, 0x00FEFEFEU);
    t = PaletteFromResourceBytes(test::ResourceBytes(overfull));
    EXPECT_EQ(t[255], Rgb(254, 254, 254));

    // A record cut in half at the end is not taken.
    auto cut = test::ResourceBytes(many);
    cut.resize(40 + 4 + 2);
    t = PaletteFromResourceBytes(cut);
    EXPECT_EQ(t[0], Rgb(1, 1, 1));
    EXPECT_EQ(t[1], DefaultPaletteTable()[1]);

    // Headers cut short, or a header size past the data.
    for (std::size_t n : {0U, 3U, 20U, 39U}) {
        EXPECT_EQ(PaletteFromResourceBytes({cut.data(), n}), DefaultPaletteTable()) << n;
        EXPECT_EQ(PaletteFromFileBytes({cut.data(), n}), DefaultPaletteTable()) << n;
    }
    auto liar = test::ResourceBytes(many);
    liar[0] = 0xFF;
    liar[1] = 0xFF;
    liar[2] = 0xFF;
    liar[3] = 0x7F;
    EXPECT_EQ(PaletteFromResourceBytes(liar), DefaultPaletteTable());
}

TEST(PaletteFromBitmap, FilePathReadsFlagsAndIgnoresTheFileHeader) {
    BitmapLayout s;
    s.colorsUsed = 2;
    s.colours = {0x7F102030U, 0x00405060U};
    auto bytes = test::FileBytes(s);
    bytes[0] = 'X';
    bytes[1] = 'Y';
    bytes[10] = 0xE7;  // bfOffBits not 54
    TempFile file("velmora_palette.bmp", bytes);
    Loaders l({}, false);
    IDirectDrawPalette* palette = LoadPaletteFromBitmap(l.kernel, l.dd, file.Path().c_str());
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(InMemory(palette)->Entries()[0], Rgb(0x10, 0x20, 0x30, 0x7F));
    EXPECT_EQ(InMemory(palette)->Entries()[1], Rgb(0x40, 0x50, 0x60));
    EXPECT_EQ(InMemory(palette)->Entries()[2], DefaultPaletteTable()[2])
        << "entries without a record keep the default";
    EXPECT_EQ(l.kernel.OpenFiles(), 0U) << "the file is closed again";

    // Missing, empty and short files give the default table.
    TempFile empty("velmora_empty.bmp", {});
    TempFile shortFile("velmora_short.bmp",
                       std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 30));
    for (const char* path :
         {"/nonexistent/velmora.bmp", empty.Path().c_str(), shortFile.Path().c_str()}) {
        palette = LoadPaletteFromBitmap(l.kernel, l.dd, path);
        ASSERT_NE(palette, nullptr);
        EXPECT_EQ(InMemory(palette)->Entries(), DefaultPaletteTable()) << path;
    }
}

TEST(PaletteFromBitmap, ResourceWinsAndARejectedResourceOpensNoFile) {
    BitmapLayout bad;
    bad.bitCount = 24;
    Loaders l(test::ResourceBytes(bad));
    BitmapLayout good;
    good.colours = {0x00FFFFFFU};
    TempFile file("ALL", test::FileBytes(good));
    l.kernel.MapFile("ALL", file.Path());
    IDirectDrawPalette* palette = LoadPaletteFromBitmap(l.kernel, l.dd, "ALL");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(InMemory(palette)->Entries(), DefaultPaletteTable());
    EXPECT_EQ(l.kernel.FilesOpened(), 0U);

    // No resource bytes: the debug text, the default table, still no file.
    Loaders locked(DeliveredAll());
    locked.kernel.MapFile("ALL", file.Path());
    locked.faults.Arm(Operation::kLockResource, 1);
    palette = LoadPaletteFromBitmap(locked.kernel, locked.dd, "ALL");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(InMemory(palette)->Entries(), DefaultPaletteTable());
    EXPECT_EQ(locked.kernel.DebugOutput(), std::vector<std::string>{"lock resource failed\n"});
    EXPECT_EQ(locked.kernel.FilesOpened(), 0U);

    // No resource at all: the file is read.
    Loaders none({}, false);
    none.kernel.MapFile("ALL", file.Path());
    palette = LoadPaletteFromBitmap(none.kernel, none.dd, "ALL");
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(InMemory(palette)->Entries()[0], Rgb(255, 255, 255));
    EXPECT_EQ(none.kernel.FilesOpened(), 1U);

    // A refused palette creation gives null.
    none.faults.Arm(Operation::kCreatePalette, 1);
    EXPECT_EQ(LoadPaletteFromBitmap(none.kernel, none.dd, "ALL"), nullptr);
}

TEST(CopyBitmapToSurface, NullArgumentsAndFailuresOnTheWay) {
    Loaders l(DeliveredAll());
    MemoryGdi& gdi = l.device.Graphics();
    DDSURFACEDESC d;
    d.dwSize = sizeof(d);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = 8;
    d.dwHeight = 4;
    d.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface* surface = nullptr;
    ASSERT_EQ(l.dd->CreateSurface(&d, &surface, nullptr), DD_OK);
    DibImage image;
    image.width = 4;
    image.height = 2;
    image.indexed = true;
    image.indexes = {1, 2, 3, 4, 5, 6, 7, 8};
    const HBITMAP bitmap = gdi.CreateDibSection(image);

    EXPECT_EQ(CopyBitmapToSurface(l.kernel, nullptr, bitmap, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(CopyBitmapToSurface(l.kernel, surface, 0, 0, 0, 0, 0), E_FAIL);
    EXPECT_EQ(l.faults.Calls(Operation::kRestore), 0U);
    EXPECT_EQ(l.faults.Calls(Operation::kCreateCompatibleDC), 0U);

    // Whole bitmap over the whole surface: each pixel doubled both ways.
    ASSERT_EQ(CopyBitmapToSurface(l.kernel, surface, bitmap, 0, 0, 0, 0), DD_OK);
    const std::uint8_t* p = InMemory(surface)->Pixels();
    const auto pitch = InMemory(surface)->Pitch();
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[1], 1);
    EXPECT_EQ(p[7], 4);
    EXPECT_EQ(p[3 * pitch + 7], 8);
    // A smaller source rectangle is stretched over the whole surface.
    ASSERT_EQ(CopyBitmapToSurface(l.kernel, surface, bitmap, 2, 1, 2, 1), DD_OK);
    EXPECT_EQ(p[0], 7);
    EXPECT_EQ(p[3 * pitch + 7], 8);
    EXPECT_EQ(gdi.LiveDCs(), 0U);

    // No memory context: the debug text, nothing drawn, GetDC's result.
    std::vector<std::uint8_t> before(p, p + pitch * 4);
    image.indexes.assign(8, 99);
    const HBITMAP other = gdi.CreateDibSection(image);
    l.faults.Arm(Operation::kCreateCompatibleDC, 1);
    EXPECT_EQ(CopyBitmapToSurface(l.kernel, surface, other, 0, 0, 0, 0), DD_OK);
    EXPECT_EQ(l.kernel.DebugOutput(), std::vector<std::string>{"createcompatible dc failed\n"});
    EXPECT_TRUE(std::equal(before.begin(), before.end(), p));

    // GetDC refused: its code comes back and the memory context is gone.
    l.faults.Arm(Operation::kGetDC, 1);
    EXPECT_EQ(CopyBitmapToSurface(l.kernel, surface, other, 0, 0, 0, 0), DDERR_CANTCREATEDC);
    EXPECT_EQ(gdi.LiveDCs(), 0U);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), p));
}

TEST(LoadBitmapSurface, DeliveredAllFallbackScalingAndFailures) {
    Loaders l(DeliveredAll());
    IDirectDrawSurface* tile = LoadBitmapSurface(l.kernel, l.dd, "ALL", 0, 0);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(InMemory(tile)->Width(), 80);
    EXPECT_EQ(InMemory(tile)->Height(), 120);
    // Rows are stored bottom-up in the bitmap: the tile's top row is the last.
    const auto all = DeliveredAll();
    const std::size_t pixels = 40 + 1024;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 80; ++x) {
            ASSERT_EQ(InMemory(tile)->Pixels()[y * InMemory(tile)->Pitch() + x],
                      all[pixels + (119 - y) * 80 + x]);
        }
    }
    EXPECT_EQ(l.device.Graphics().LiveBitmaps(), 0U);

    IDirectDrawSurface* half = LoadBitmapSurface(l.kernel, l.dd, "ALL", 40, 60);
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(InMemory(half)->Width(), 40);
    EXPECT_EQ(InMemory(half)->Height(), 60);

    l.faults.Arm(Operation::kCreateSurface, 1);
    EXPECT_EQ(LoadBitmapSurface(l.kernel, l.dd, "ALL", 0, 0), nullptr);
    EXPECT_EQ(l.device.Graphics().LiveBitmaps(), 0U);

    // A resource that cannot be loaded falls back to the file of that name.
    BitmapLayout bad;
    bad.width = 100000;
    Loaders fallback(test::ResourceBytes(bad));
    std::ifstream in(VELMORA_ALL_BMP, std::ios::binary);
    const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), {});
    TempFile copy("ALL", file);
    fallback.kernel.MapFile("ALL", copy.Path());
    tile = LoadBitmapSurface(fallback.kernel, fallback.dd, "ALL", 0, 0);
    ASSERT_NE(tile, nullptr);
    EXPECT_EQ(InMemory(tile)->Width(), 80);
    EXPECT_EQ(fallback.kernel.FilesOpened(), 1U);

    Loaders nothing({}, false);
    EXPECT_EQ(LoadBitmapSurface(nothing.kernel, nothing.dd, "ALL", 0, 0), nullptr);
}

TEST(ImageLoader, DecodesLowAndHighBitDepthsAndRefusesHostileFiles) {
    // 4 bits per pixel: two pixels a byte, rows padded to 4 bytes.
    BitmapLayout four;
    four.bitCount = 4;
    four.width = 3;
    four.height = 1;
    four.colours.assign(16, 0);
    four.pixels = {0x12, 0x30, 0, 0};
    auto decoded = DecodeBitmapFile(test::FileBytes(four));
    ASSERT_TRUE(decoded.image) << decoded.error;
    EXPECT_TRUE(decoded.image->indexed);
    EXPECT_EQ(decoded.image->indexes, (std::vector<std::uint8_t>{1, 2, 3}));

    BitmapLayout mono;
    mono.bitCount = 1;
    mono.width = 10;
    mono.height = 1;
    mono.colours = {0x00000000U, 0x00FFFFFFU};
    mono.pixels = {0xA0, 0x40, 0, 0};
    decoded = DecodeBitmapFile(test::FileBytes(mono));
    ASSERT_TRUE(decoded.image) << decoded.error;
    EXPECT_EQ(decoded.image->indexes, (std::vector<std::uint8_t>{1, 0, 1, 0, 0, 0, 0, 0, 0, 1}));

    BitmapLayout rgb;
    rgb.bitCount = 24;
    rgb.width = 1;
    rgb.height = 2;
    rgb.pixels = {0x30, 0x20, 0x10, 0, 0, 0xFF, 0, 0};  // bottom row first, BGR
    decoded = DecodeBitmapFile(test::FileBytes(rgb));
    ASSERT_TRUE(decoded.image) << decoded.error;
    EXPECT_FALSE(decoded.image->indexed);
    EXPECT_EQ(decoded.image->rgb, (std::vector<std::uint32_t>{0x00FF00U, 0x102030U}));

    // A true-colour bitmap drawn into a surface takes the nearest colour of the screen's palette.
    Loaders l({}, false);
    TempFile rgbFile("velmora_rgb.bmp", test::FileBytes(rgb));
    IDirectDrawSurface* surface = LoadBitmapSurface(l.kernel, l.dd, rgbFile.Path().c_str(), 0, 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(InMemory(surface)->Pixels()[0], 0x1C) << "pure green in the 3-3-2 cube";

    // Each platform decodes with its own library: the same image from every
    // header version, row order, packing and compression.
    BitmapLayout topDown;
    topDown.width = 2;
    topDown.height = -2;
    topDown.colorsUsed = 4;
    topDown.colours.assign(4, 0);
    topDown.pixels = {1, 2, 0, 0, 3, 0, 0, 0};  // top row first
    BitmapLayout core;
    core.headerSize = 12;
    core.width = 2;
    core.height = 1;
    core.colours.assign(256, 0);
    core.colours[1] = 0x123456U;
    core.pixels = {1, 0, 0, 0};
    BitmapLayout rle;
    rle.width = 5;
    rle.height = 1;
    rle.compression = 1;
    rle.colorsUsed = 8;
    rle.colours.assign(8, 0);
    rle.pixels = {2, 5, 3, 6, 0, 1};  // runs of 5 and 6, end of bitmap
    BitmapLayout rgb555;
    rgb555.bitCount = 16;
    rgb555.width = 3;
    rgb555.height = 1;
    rgb555.pixels = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0};
    BitmapLayout fields = rgb555;
    fields.compression = 3;
    fields.colours = {0x001F, 0x03E0, 0x7C00};  // masks: red in the low bits
    fields.pixels = {0x1F, 0x00, 0xE0, 0x03, 0x00, 0x7C, 0, 0};
    const struct {
        BitmapLayout bitmap;
        std::vector<std::uint8_t> indexes;
        std::vector<std::uint32_t> rgb;
    } layouts[] = {
        {topDown, {1, 2, 3, 0}, {}},
        {core, {1, 0}, {}},
        {rle, {5, 5, 6, 6, 6}, {}},
        {rgb555, {}, {0xFF0000U, 0x00FF00U, 0x0000FFU}},
        {fields, {}, {0xFF0000U, 0x00FF00U, 0x0000FFU}},
    };
    for (std::size_t i = 0; i < std::size(layouts); ++i) {
        decoded = DecodeBitmapFile(test::FileBytes(layouts[i].bitmap));
        ASSERT_TRUE(decoded.image) << "layout " << i << ": " << decoded.error;
        EXPECT_EQ(decoded.image->indexed, !layouts[i].indexes.empty()) << "layout " << i;
        EXPECT_EQ(decoded.image->indexes, layouts[i].indexes) << "layout " << i;
        EXPECT_EQ(decoded.image->rgb, layouts[i].rgb) << "layout " << i;
        if (decoded.image->indexed) {
            EXPECT_EQ(decoded.image->colours.size(), layouts[i].bitmap.colours.size())
                << "layout " << i;
        }
    }
    decoded = DecodeBitmapFile(test::FileBytes(core));
    EXPECT_EQ(decoded.image->colours[1], Rgb(0x12, 0x34, 0x56));
    // A pixel past the colour table is refused, not shown in some colour.
    topDown.colorsUsed = 3;
    topDown.colours.resize(3);
    EXPECT_FALSE(DecodeBitmapFile(test::FileBytes(topDown)).image);

    BitmapLayout good;
    good.colours.assign(256, 0);
    good.pixels.assign(8, 7);
    const auto valid = test::FileBytes(good);
    ASSERT_TRUE(DecodeBitmapFile(valid).image);
    std::vector<std::vector<std::uint8_t>> hostile;
    hostile.emplace_back();                                   // empty
    hostile.emplace_back(valid.begin(), valid.begin() + 10);  // no info header
    hostile.emplace_back(valid.begin(), valid.begin() + 40);  // info header cut
    hostile.emplace_back(valid.begin(), valid.end() - 3);     // pixels cut
    auto wide = valid;
    wide[18] = 0xFF;
    wide[19] = 0xFF;
    wide[20] = 0xFF;
    wide[21] = 0x7F;  // width 2^31 - 1
    hostile.push_back(wide);
    auto colours = valid;
    colours[46 + 3] = 0x80;  // 2^31 colours
    hostile.push_back(colours);
    auto offset = valid;
    offset[13] = 0x7F;  // pixel offset far past the end
    hostile.push_back(offset);
    auto header = valid;
    header[14] = 0xFF;
    header[17] = 0x7F;  // header size 2^31
    hostile.push_back(header);
    for (std::size_t i = 0; i < hostile.size(); ++i) {
        const auto result = DecodeBitmapFile(hostile[i]);
        EXPECT_FALSE(result.image) << "case " << i;
        EXPECT_FALSE(result.error.empty()) << "case " << i;
        // The resource form has no file header of its own: only the info
        // header's faults carry over (case 6 spoils the file header alone).
        if (hostile[i].size() > 14 && i != 6) {
            const std::vector<std::uint8_t> resource(hostile[i].begin() + 14, hostile[i].end());
            if (auto file = BitmapFileFromResource(resource)) {
                EXPECT_FALSE(DecodeBitmapFile(*file).image) << "resource case " << i;
            }
        }
    }
    EXPECT_FALSE(BitmapFileFromResource({}));
    EXPECT_FALSE(ScaleImage(*DecodeBitmapFile(valid).image, 100000, 1));
}

}  // namespace
}  // namespace velmora::display
