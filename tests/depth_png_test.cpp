#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "files/depth_png.h"

namespace velmora::files {
namespace {

using Bytes = std::vector<std::uint8_t>;

const auto Top = [](int bits) { return (1U << bits) - 1; };
const auto Level = [](std::uint32_t x, std::uint32_t y, int bits) {
    return (x * 4099 + y * 12553) & Top(bits);
};
const auto Alpha = [](std::uint32_t x, std::uint32_t y, int bits) {
    return (x * 53 + y * 29 + 5) & Top(bits);
};
const auto PaletteGrey = [](std::uint32_t k) { return static_cast<png_byte>(k * 97 + 13); };
const auto PaletteAlpha = [](std::uint32_t k) { return static_cast<png_byte>(k * 61 + 7); };

// A PNG made by libpng's writer. Pixel (x, y) has the level Level(x, y) (a
// palette index for palettes: entry k is grey PaletteGrey(k)), or `fill`,
// and in an alpha channel Alpha(x, y); with transparency, palette entry k
// has alpha PaletteAlpha(k) and other types make the level of (1, 0)
// transparent.
struct Image {
    explicit Image(std::uint32_t width = kMapWidth, std::uint32_t height = kMapHeight,
                   int colourType = PNG_COLOR_TYPE_GRAY, int bitDepth = 8)
        : w(width), h(height), type(colourType), bits(bitDepth) {}
    std::uint32_t w, h;
    int type, bits;
    bool transparency = false;
    bool interlaced = false;
    std::optional<std::uint32_t> fill;
    std::vector<std::string> texts;       // velmora-depth tEXt chunks before the image data
    std::vector<std::string> textsAfter;  // and after it
    bool headerOnly = false;              // and the image data of the first rows only
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void SetTexts(png_structp png, png_infop info, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        png_text entry{};
        entry.compression = PNG_TEXT_COMPRESSION_NONE;
        entry.key = const_cast<char*>("velmora-depth");
        entry.text = const_cast<char*>(text.c_str());
        png_set_text(png, info, &entry, 1);
    }
}

Bytes Write(const Image& im) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, Append, [](png_structp) {});
    png_set_IHDR(png, info, im.w, im.h, im.bits, im.type,
                 im.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    const bool palette = im.type == PNG_COLOR_TYPE_PALETTE;
    std::vector<png_color> colours;
    std::vector<png_byte> alphas;
    for (std::uint32_t k = 0; palette && k <= Top(im.bits); ++k) {
        colours.push_back({PaletteGrey(k), PaletteGrey(k), PaletteGrey(k)});
        alphas.push_back(PaletteAlpha(k));
    }
    if (palette) {
        png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    }
    const auto t = static_cast<png_uint_16>(Level(1, 0, im.bits));
    png_color_16 transparent{0, t, t, t, t};
    if (im.transparency) {
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()),
                     palette ? nullptr : &transparent);
    }
    SetTexts(png, info, im.texts);
    if (im.headerOnly) {
        png_set_compression_level(png, 0);  // so that the rows fill image data chunks at once
    }
    png_write_info(png, info);
    png_set_packing(png);  // a byte a sample below 8 bits
    const std::uint32_t channels = png_get_channels(png, info);
    const std::uint32_t rows = im.headerOnly ? 4 : im.h;
    std::vector<png_byte> pixels;
    for (std::uint32_t y = 0; y < rows; ++y) {
        for (std::uint32_t x = 0; x < im.w; ++x) {
            for (std::uint32_t c = 0; c < channels; ++c) {
                const std::uint32_t v = (im.type & PNG_COLOR_MASK_ALPHA) != 0 && c == channels - 1
                                            ? Alpha(x, y, im.bits)
                                        : im.fill ? *im.fill
                                                  : Level(x, y, im.bits);
                if (im.bits == 16) {
                    pixels.push_back(static_cast<png_byte>(v >> 8));
                }
                pixels.push_back(static_cast<png_byte>(v));
            }
        }
    }
    std::vector<png_bytep> rowStarts;
    for (std::uint32_t y = 0; y < rows; ++y) {
        rowStarts.push_back(pixels.data() + pixels.size() / rows * y);
    }
    if (im.headerOnly) {
        png_write_rows(png, rowStarts.data(), rows);
    } else {
        png_write_image(png, rowStarts.data());
        SetTexts(png, info, im.textsAfter);
        png_write_end(png, info);
    }
    png_destroy_write_struct(&png, &info);
    return out;
}

DecodedDepth Decode(const Bytes& bytes) {
    return DecodeDepthPng(bytes.data(), bytes.size());
}

std::string Mapping(const std::string& brush) {
    return "grey = 7 * (depth + 3); brush " + brush;
}

// Map pixels whose depth differs from `expected(x, y)`.
template <typename Expected>
int Mismatches(const std::vector<std::int8_t>& depth, Expected expected) {
    int wrong = 0;
    for (int i = 0; i < static_cast<int>(kMapSize); ++i) {
        wrong += depth[i] != expected(i % kMapWidth, i / kMapWidth);
    }
    return wrong;
}

// The depth of image pixel (x, y) read from elsewhere: its luminance over
// black, black 0 and white 30.
int Luminance(const Image& im, std::uint32_t x, std::uint32_t y) {
    const bool palette = im.type == PNG_COLOR_TYPE_PALETTE;
    const std::uint32_t v = im.fill ? *im.fill : Level(x, y, im.bits);
    const double full = palette ? 255 : Top(im.bits);
    double opacity = full;
    if (palette && im.transparency) {
        opacity = PaletteAlpha(v);
    } else if ((im.type & PNG_COLOR_MASK_ALPHA) != 0) {
        opacity = Alpha(x, y, im.bits);
    } else if (im.transparency && v == Level(1, 0, im.bits)) {
        opacity = 0;
    }
    return static_cast<int>(
        std::lround(30 * (palette ? PaletteGrey(v) : v) * opacity / full / full));
}

// Map pixels that differ from `im` decoded and placed in the rectangle
// (left, top, width, height), each map pixel showing the image pixel under
// its centre, with depth 0 around.
int Misplaced(const Image& im, int left, int top, int width, int height) {
    const DecodedDepth decoded = Decode(Write(im));
    if (!decoded.error.empty()) {
        ADD_FAILURE() << decoded.error;
        return -1;
    }
    return Mismatches(decoded.depth, [&](int x, int y) {
        if (x < left || x >= left + width || y < top || y >= top + height) {
            return 0;
        }
        return Luminance(im, (2U * (x - left) + 1) * std::uint64_t{im.w} / (2U * width),
                         (2U * (y - top) + 1) * std::uint64_t{im.h} / (2U * height));
    });
}

TEST(DepthPng, OwnMapsComeBackExactlyAndEncodeTheSameAgain) {
    std::vector<std::int8_t> map(kMapSize);
    for (std::size_t i = 0; i < kMapSize; ++i) {
        map[i] = static_cast<std::int8_t>(-3 + (i + i / kMapWidth) % 36);
    }
    map[0] = -128;  // beyond the range: the grey of its nearer end
    map[1] = 127;
    std::vector<std::int8_t> clamped = map;
    clamped[0] = -3;
    clamped[1] = 32;
    for (const auto& [brush, text] :
         {std::pair<std::optional<BrushSpot>, std::string>{std::nullopt, "none"},
          {BrushSpot{81, 0}, "81 0"},
          {BrushSpot{609, 449}, "609 449"}}) {
        std::string error = "stale";
        const Bytes bytes = EncodeDepthPng(map.data(), brush, error);
        ASSERT_EQ(error, "");
        const std::string chunk = std::string("velmora-depth") + '\0' + Mapping(text);
        const std::string all(bytes.begin(), bytes.end());
        EXPECT_LT(all.find(chunk), all.find("IDAT")) << text;
        EXPECT_EQ(all.find("tIME"), std::string::npos);

        png_image image{};  // the greys as libpng reads them
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()));
        EXPECT_TRUE(image.width == 640 && image.height == 480 && image.format == PNG_FORMAT_GRAY);
        Bytes grey(PNG_IMAGE_SIZE(image)), expected;
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, grey.data(), 0, nullptr));
        for (const std::int8_t depth : clamped) {
            expected.push_back(static_cast<std::uint8_t>(7 * (depth + 3)));
        }
        EXPECT_TRUE(grey == expected);

        const DecodedDepth decoded = Decode(bytes);
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(decoded.depth, clamped);
        EXPECT_EQ(decoded.brush.has_value(), brush.has_value());
        EXPECT_TRUE(!brush || (decoded.brush->x == brush->x && decoded.brush->y == brush->y));
        EXPECT_EQ(EncodeDepthPng(decoded.depth.data(), decoded.brush, error), bytes);
    }
    for (const BrushSpot outside :
         {BrushSpot{80, 0}, BrushSpot{610, 0}, BrushSpot{81, -1}, BrushSpot{81, 450}}) {
        std::string error;
        EXPECT_TRUE(EncodeDepthPng(map.data(), outside, error).empty() && !error.empty())
            << outside.x << "," << outside.y;
    }
}

// Our chunk makes an 8-bit grey 640x480 map exact; anywhere else it is
// ignored and the greys are luminance (7 of 255 is depth 1, not -2).
TEST(DepthPng, OwnChunkCountsOnlyBeforeTheImageDataOfAn8BitGrey640x480) {
    Image base;
    base.fill = 7;
    base.texts = {Mapping("100 200")};
    auto with = [&](auto change) {
        Image image = base;
        change(image);
        return image;
    };
    const std::tuple<Image, int, bool> cases[] = {
        {base, -2, true},
        {with([](Image& i) { i.interlaced = true; }), -2, true},
        {with([](Image& i) { i.fill = 255, i.texts = {Mapping("none")}; }), 32, false},
        {with([](Image& i) { i.fill = 3; }), -3, true},  // the nearest depth's grey
        {with([](Image& i) { i.fill = 4; }), -2, true},
        {with([](Image& i) { i.texts.clear(); }), 1, false},
        {with([](Image& i) { std::swap(i.texts, i.textsAfter); }), 1, false},
        {with([](Image& i) { i.bits = 16, i.fill = 7 * 257; }), 1, false},
        {with([](Image& i) { i.bits = 16, i.fill = 64442; }), 29, false},  // 29.4998: 16 bits kept
        {with([](Image& i) { i.w = 320, i.h = 240; }), 1, false},
    };
    for (const auto& [image, depth, brush] : cases) {
        const DecodedDepth decoded = Decode(Write(image));
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(Mismatches(decoded.depth, [want = depth](int, int) { return want; }), 0) << depth;
        EXPECT_EQ(decoded.brush.has_value(), brush);
        EXPECT_TRUE(!brush || (decoded.brush->x == 100 && decoded.brush->y == 200));
    }
}

// Every colour type and bit depth, with and without transparency and
// interlacing, scaled up by whole factors.
TEST(DepthPng, ForeignPngsOfEveryKindAreReadByLuminance) {
    const std::tuple<int, int, bool> kinds[] = {
        {PNG_COLOR_TYPE_GRAY, 1, false},       {PNG_COLOR_TYPE_GRAY, 2, false},
        {PNG_COLOR_TYPE_GRAY, 4, false},       {PNG_COLOR_TYPE_GRAY, 8, false},
        {PNG_COLOR_TYPE_GRAY, 16, false},      {PNG_COLOR_TYPE_GRAY, 2, true},
        {PNG_COLOR_TYPE_GRAY, 8, true},        {PNG_COLOR_TYPE_GRAY, 16, true},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false},
        {PNG_COLOR_TYPE_RGB, 8, false},        {PNG_COLOR_TYPE_RGB, 16, false},
        {PNG_COLOR_TYPE_RGB, 8, true},         {PNG_COLOR_TYPE_RGB, 16, true},
        {PNG_COLOR_TYPE_RGBA, 8, false},       {PNG_COLOR_TYPE_RGBA, 16, false},
        {PNG_COLOR_TYPE_PALETTE, 1, false},    {PNG_COLOR_TYPE_PALETTE, 2, false},
        {PNG_COLOR_TYPE_PALETTE, 4, false},    {PNG_COLOR_TYPE_PALETTE, 8, false},
        {PNG_COLOR_TYPE_PALETTE, 2, true},     {PNG_COLOR_TYPE_PALETTE, 8, true},
    };
    for (const auto& [type, bits, transparency] : kinds) {
        for (const bool interlaced : {false, true}) {
            Image image = Image(64, 48, type, bits);
            image.transparency = transparency;
            image.interlaced = interlaced;
            EXPECT_EQ(Misplaced(image, 0, 0, 640, 480), 0)
                << "type " << type << ", " << bits << " bits, " << transparency << interlaced;
            image.w = 3, image.h = 5;
            EXPECT_EQ(Misplaced(image, 176, 0, 288, 480), 0)
                << "type " << type << ", " << bits << " bits, " << transparency << interlaced;
        }
    }
}

// Scaled by min(640 / w, 480 / h), the size rounded and at least a pixel,
// centred.
TEST(DepthPng, ForeignImagesAreScaledToFitAndCentredWithDepthZeroAround) {
    const std::array<int, 6> cases[] = {
        {320, 480, 160, 0, 320, 480}, {1280, 960, 0, 0, 640, 480}, {64, 16, 0, 160, 640, 160},
        {1, 1, 80, 0, 480, 480},      {3, 1, 0, 133, 640, 213},    {16384, 1, 0, 239, 640, 1},
        {1, 16384, 319, 0, 1, 480},   {640, 480, 0, 0, 640, 480},
    };
    for (const auto& [w, h, left, top, width, height] : cases) {
        EXPECT_EQ(Misplaced(Image(w, h), left, top, width, height), 0) << w << "x" << h;
    }
}

TEST(DepthPng, HostileFilesGiveOneLineAndNoMap) {
    const Bytes good = Write(Image(4, 4));
    const std::size_t idat = std::string(good.begin(), good.end()).find("IDAT");
    ASSERT_EQ(idat, 37U);  // right after the header chunk
    auto cut = [&](std::size_t size) { return Bytes(good.begin(), good.begin() + size); };
    auto patched = [&](std::size_t at, std::initializer_list<std::uint8_t> with) {
        Bytes bytes = good;
        std::copy(with.begin(), with.end(), bytes.begin() + at);
        return bytes;
    };
    auto flipped = [&](std::size_t at) {
        return patched(at, {static_cast<std::uint8_t>(good[at] ^ 1)});
    };
    auto own = [](std::vector<std::string> texts) {
        Image image;
        image.texts = std::move(texts);
        return Write(image);
    };
    auto huge = [](std::uint32_t side, int type, int bits) {
        Image image(side, side, type, bits);
        image.headerOnly = true;
        return Write(image);
    };
    const Bytes atLimit = huge(16384, PNG_COLOR_TYPE_GRAY, 8);  // its header is all read
    ASSERT_NE(std::string(atLimit.begin(), atLimit.end()).find("IDAT"), std::string::npos);
    Bytes textCrc = own({Mapping("none")});  // a damaged text chunk is not dropped quietly
    const std::size_t textAt = std::string(textCrc.begin(), textCrc.end()).find("tEXt");
    textCrc[textAt + 4 + textCrc[textAt - 1]] ^= 1;  // its length is under 256
    const std::string truncated = "truncated PNG file";
    const std::string badText = "bad velmora-depth text chunk";
    const std::string outside = "brush spot out of range in the velmora-depth text chunk";
    std::vector<std::pair<Bytes, std::string>> cases = {
        {{}, "file is empty"},
        {cut(5), truncated},
        {cut(8), truncated},
        {cut(33), truncated},
        {cut(idat + 10), truncated},
        {cut(good.size() - 12), truncated},
        {cut(good.size() - 1), truncated},
        {flipped(32), "IHDR: CRC error"},
        {flipped(good.size() - 13), "IDAT: CRC error"},
        {flipped(good.size() - 1), "IEND: CRC error"},
        {textCrc, "tEXt: CRC error"},
        {patched(16, {0, 0, 0, 0}), "image is 0x4"},
        {patched(16, {0, 1, 0x86, 0xa0, 0, 1, 0x86, 0xa0}),
         "image is 100000x100000, more than 16384 pixels a side"},
        {patched(16, {0, 0, 0x40, 0x01}), "image is 16385x4, more than 16384 pixels a side"},
        {huge(16384, PNG_COLOR_TYPE_RGB_ALPHA, 16), "image is 16384x16384, too large to decode"},
        {atLimit, truncated},
        {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, "not a PNG file"},
        {flipped(1), "not a PNG file"},
        {own({Mapping("80 0")}), outside},
        {own({Mapping("610 0")}), outside},
        {own({Mapping("100 450")}), outside},
    };
    for (const char* text :
         {"", "100", "100 200 ", "+100 200", "0100 200", "100  200", "None", "99999999999 0"}) {
        cases.emplace_back(own({Mapping(text)}), badText);
    }
    cases.emplace_back(own({"grey = 8 * (depth + 3); brush none"}), badText);
    cases.emplace_back(own({Mapping("none"), Mapping("none")}), badText);
    for (const auto& [bytes, message] : cases) {
        const DecodedDepth decoded = Decode(bytes);
        EXPECT_TRUE(decoded.depth.empty() && !decoded.brush) << message;
        EXPECT_EQ(decoded.error, message);
    }
    const DecodedDepth tooLarge = DecodeDepthPng(good.data(), kMaxFileBytes + 1);
    EXPECT_EQ(tooLarge.error, "file is larger than 64 MiB");
}

TEST(DepthPng, ReadDepthFileNamesThePathInItsErrors) {
    namespace fs = std::filesystem;
    const fs::path dir =
        fs::temp_directory_path() / ("velmora-depth-png-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const std::vector<std::int8_t> map(kMapSize, 12);
    std::string error;
    const Bytes bytes = EncodeDepthPng(map.data(), BrushSpot{200, 100}, error);
    auto put = [&](const std::string& name, const Bytes& content) {
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
        return (dir / name).string();
    };
    const std::string padded = put("map.png", bytes);  // to the limit; what follows IEND is left
    fs::resize_file(padded, kMaxFileBytes);
    const DecodedDepth read = ReadDepthFile(padded);
    EXPECT_TRUE(read.error.empty() && read.depth == map && read.brush && read.brush->x == 200)
        << read.error;

    const std::string big = put("big.png", bytes);
    fs::resize_file(big, kMaxFileBytes + 1);
    const std::string missing = (dir / "missing.png").string();
    const std::string directory = dir.string();
    const std::string text = put("text.png", {'h', 'i', '\n'});
    const std::pair<std::string, std::string> cases[] = {
        {missing, missing + ": cannot read: " + std::strerror(ENOENT)},
        {text, text + ": not a PNG file"},
        {big, big + ": file is larger than 64 MiB"},
        {directory, directory + ": cannot read: "},
    };
    for (const auto& [path, message] : cases) {
        const DecodedDepth failed = ReadDepthFile(path);
        EXPECT_TRUE(failed.depth.empty()) << path;
        if (path == directory) {  // the reason in the system's words
            EXPECT_TRUE(failed.error.rfind(message, 0) == 0 &&
                        failed.error.size() > message.size() &&
                        failed.error.find('\n') == std::string::npos)
                << failed.error;
        } else {
            EXPECT_EQ(failed.error, message);
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace velmora::files
