#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "files/depth_png.h"

namespace velmora::files {
namespace {

using Bytes = std::vector<std::uint8_t>;

const auto Level = [](unsigned x, unsigned y, int b) { return (x * 4099 + y * 12553) % (1U << b); };
const auto PaletteGrey = [](unsigned k) { return static_cast<png_byte>(k * 97 + 13); };
const auto PaletteAlpha = [](unsigned k) { return static_cast<png_byte>(k * 61 + 7); };

// A PNG by libpng: levels Level(x, y) or `fill`, alpha Level(y + 5, x); palette entry k is
// grey PaletteGrey(k), with transparency alpha PaletteAlpha(k); other types then hide Level(1, 0).
struct Image {
    int w = kMapWidth, h = kMapHeight, type = PNG_COLOR_TYPE_GRAY, bits = 8;
    bool transparency = false, interlaced = false, headerOnly = false;  // headerOnly: 4 rows
    std::optional<std::uint32_t> fill = std::nullopt;
    std::vector<std::string> texts = {};  // velmora-depth tEXt chunks
};

void Append(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
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
    for (std::uint32_t k = 0; palette && k < (1U << im.bits); ++k) {
        colours.push_back({PaletteGrey(k), PaletteGrey(k), PaletteGrey(k)});
        alphas.push_back(PaletteAlpha(k));
    }
    if (palette) {
        png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    }
    const auto t = static_cast<png_uint_16>(Level(1, 0, im.bits));
    png_color_16 transparent{0, t, t, t, t};
    if (im.transparency) {
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), &transparent);
    }
    for (const std::string& text : im.texts) {
        png_text entry{};
        entry.compression = PNG_TEXT_COMPRESSION_NONE;
        entry.key = const_cast<char*>("velmora-depth");
        entry.text = const_cast<char*>(text.c_str());
        png_set_text(png, info, &entry, 1);
    }
    png_set_compression_level(png, 0);  // stored: a few wide rows fill whole IDAT chunks
    png_write_info(png, info);
    png_set_packing(png);  // a byte a sample below 8 bits
    const std::uint32_t channels = png_get_channels(png, info);
    for (int pass = png_set_interlace_handling(png); pass > 0; --pass) {
        for (int y = 0; y < (im.headerOnly ? 4 : im.h); ++y) {
            std::vector<png_byte> row;
            for (std::uint32_t s = 0; s < im.w * channels; ++s) {
                const bool alpha = (im.type & PNG_COLOR_MASK_ALPHA) && s % channels == channels - 1;
                const std::uint32_t v = alpha ? Level(y + 5, s / channels, im.bits)
                                              : im.fill.value_or(Level(s / channels, y, im.bits));
                const png_byte sample[] = {static_cast<png_byte>(v >> 8), static_cast<png_byte>(v)};
                row.insert(row.end(), sample + (im.bits == 16 ? 0 : 1), sample + 2);
            }
            png_write_row(png, row.data());
        }
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

const auto Decode = [](const Bytes& bytes) { return DecodeDepthPng(bytes.data(), bytes.size()); };
// Appended, not added: GCC 12 at -O3 (the Windows build) warns falsely on
// a literal plus a string.
const auto Mapping = [](const std::string& b) {
    std::string text = "grey = 7 * (depth + 3); brush ";
    return text += b;
};
const auto Spot = [](const std::optional<BrushSpot>& b) { return b ? b->x * 1000 + b->y : -1; };

// Map pixels unlike `im` read by luminance (black 0, white 30) into the
// rectangle given, each showing the image pixel under its centre, 0 around.
int Misplaced(const Image& im, int left, int top, int width, int height) {
    const DecodedDepth decoded = Decode(Write(im));
    const bool palette = im.type == PNG_COLOR_TYPE_PALETTE;
    const double full = palette ? 255 : (1U << im.bits) - 1;
    int wrong = static_cast<int>(kMapSize - decoded.depth.size());
    for (int i = 0; i < static_cast<int>(decoded.depth.size()); ++i) {
        const int mx = i % kMapWidth - left, my = i / kMapWidth - top;
        const std::uint32_t x = (2U * mx + 1) * im.w / (2U * width);
        const std::uint32_t y = (2U * my + 1) * im.h / (2U * height);
        const std::uint32_t v = Level(x, y, im.bits);
        const double opacity = palette && im.transparency         ? PaletteAlpha(v)
                               : (im.type & PNG_COLOR_MASK_ALPHA) ? Level(y + 5, x, im.bits)
                               : im.transparency && v == Level(1, 0, im.bits) ? 0
                                                                              : full;
        const double luminance = 30 * (palette ? PaletteGrey(v) : v) * opacity / full / full;
        const bool inside = mx >= 0 && mx < width && my >= 0 && my < height;
        wrong += decoded.depth[i] != (inside ? std::lround(luminance) : 0);
    }
    return wrong;
}

TEST(DepthPng, OwnMapsComeBackWithBrushesOnTheEdgesAndRefuseThosePast) {
    const std::vector<std::int8_t> map(kMapSize, 5);
    const std::array<int, 3> brushes[] = {
        {-1, 0, -1} /* none */, {81, 0, 81000}, {609, 449, 609449}, {80, 0, -2} /* refused */,
        {610, 0, -2},           {81, -1, -2},   {81, 450, -2},
    };
    for (const auto& [x, y, spot] : brushes) {
        const auto brush = x < 0 ? std::nullopt : std::optional(BrushSpot{x, y});
        std::string error = "stale";
        const DecodedDepth decoded = Decode(EncodeDepthPng(map.data(), brush, error));
        EXPECT_EQ(error.empty(), spot != -2) << spot;
        EXPECT_EQ(decoded.depth == map ? Spot(decoded.brush) : -2, spot);
    }
}

// A PNG of each kind that takes its own conversion, plain and interlaced,
// scaled by min(640 / w, 480 / h), rounded, at least a pixel, and centred.
TEST(DepthPng, ForeignPngsAreReadByLuminanceScaledToFitAndCentred) {
    // Type, bits, transparency; size; where it lands: left, top, width, height.
    const std::array<int, 9> cases[] = {
        {PNG_COLOR_TYPE_GRAY, 1, 0, 3, 1, 0, 133, 640, 213},
        {PNG_COLOR_TYPE_GRAY, 16, 1, 3, 5, 176, 0, 288, 480},
        {PNG_COLOR_TYPE_RGBA, 16, 0, 1, 16384, 319, 0, 1, 480},
        {PNG_COLOR_TYPE_PALETTE, 8, 0, 16384, 1, 0, 239, 640, 1},
        {PNG_COLOR_TYPE_PALETTE, 8, 1, 3, 5, 176, 0, 288, 480},
    };
    for (const auto& [type, bits, transparency, w, h, left, top, width, height] : cases) {
        for (const bool interlaced : {false, true}) {
            const Image image{w, h, type, bits, transparency != 0, interlaced};
            EXPECT_EQ(Misplaced(image, left, top, width, height), 0) << type << bits << interlaced;
        }
    }
}

// The depth at the centre and the brush, or one line: our chunk makes only
// an 8-bit grey 640x480 exact, each grey the nearest depth's (elsewhere 7
// of 255 is 1, not -2); then a hostile file for each way of failing.
TEST(DepthPng, FilesGiveTheirDepthAndBrushOrOneLine) {
    const auto flip = [](Bytes bytes, std::size_t at, int bit) { return bytes[at] ^= bit, bytes; };
    const Bytes good = Write({.w = 4, .h = 4, .texts = {Mapping("none")}});
    const std::size_t textAt = std::string(good.begin(), good.end()).find("tEXt");
    std::vector<std::pair<Bytes, std::string>> cases = {
        {Write({.fill = 7, .texts = {Mapping("100 200")}}), "-2 100200"},
        {Write({.fill = 3, .texts = {Mapping("100 200")}}), "-3 100200"},
        {Write({.fill = 255, .texts = {Mapping("none")}}), "32 -1"},
        {Write({.bits = 16, .fill = 64442, .texts = {Mapping("100 200")}}),
         "29 -1"},  // 29.4998: 16 bits kept
        {Write({.w = 320, .fill = 7, .texts = {Mapping("100 200")}}), "1 -1"},
        {Write({.h = 240, .fill = 7, .texts = {Mapping("100 200")}}), "1 -1"},
        {{}, "file is empty"},
        {Bytes(good.begin(), good.begin() + 5), "truncated PNG file"},
        {Bytes(good.begin(), good.end() - 1), "truncated PNG file"},
        {flip(good, textAt + 4 + good[textAt - 1], 1), "tEXt: CRC error"},  // not dropped
        {flip(good, 1, 1), "not a PNG file"},
        {flip(good, 19, 4), "image is 0x4"},
        {flip(good, 17, 1), "image is 65540x4, more than 16384 pixels a side"},
        {Write({16384, 16384, PNG_COLOR_TYPE_RGB_ALPHA, 16, false, false, true}),
         "image is 16384x16384, too large to decode"},
        {Write({16384, 16384, PNG_COLOR_TYPE_GRAY, 8, false, false, true}),
         "Not enough image data"},  // within every limit
        {Write({.texts = {Mapping("610 0")}}),
         "brush spot out of range in the velmora-depth text chunk"},
        {Write({.texts = {Mapping("none"), Mapping("none")}}), "bad velmora-depth text chunk"},
    };
    for (const std::string& bad :
         {Mapping("100"), Mapping("0100 200"), Mapping("100 200 "), Mapping("99999999999 0"),
          std::string("grey = 8 * (depth + 3); brush none")}) {
        cases.emplace_back(Write({.texts = {bad}}), "bad velmora-depth text chunk");
    }
    for (const auto& [bytes, outcome] : cases) {
        const DecodedDepth d = Decode(bytes);
        const int centre = d.depth.empty() ? 99 : d.depth[kMapSize / 2 + kMapWidth / 2];
        EXPECT_EQ(d.error.empty() ? std::to_string(centre) + " " + std::to_string(Spot(d.brush))
                                  : d.error,
                  outcome);
    }
}

Bytes BigEndian(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

// A chunk as it stands in a file, its length field `declared`, cut to `keep` bytes.
Bytes RawChunk(const std::string& type, Bytes data, std::uint32_t declared, std::size_t keep = -1) {
    Bytes out = BigEndian(declared);
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const Bytes crc = BigEndian(crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4)));
    out.insert(out.end(), crc.begin(), crc.end());
    return out.resize(std::min(keep, out.size())), out;
}

// Every declared chunk length is checked against the file before memory is
// taken for it, and no chunk, however long, makes libpng hold more than rows.
TEST(DepthPng, HugeChunksAreRefusedOrSkippedWithoutTheirMemory) {
    const Bytes small = Write({.w = 4, .h = 4, .fill = 255});
    const auto join = [&](std::size_t head, const Bytes& chunk, bool end = false) {
        Bytes out(small.begin(), small.begin() + static_cast<long>(head));  // IHDR, or all but IEND
        out.insert(out.end(), chunk.begin(), chunk.end());
        return end ? out.insert(out.end(), small.end() - 12, small.end()), out : out;
    };
    std::vector<std::pair<Bytes, std::string>> cases;  // 57 bytes each, 1 GiB declared
    for (const std::string type :
         {"tEXt", "zTXt", "iTXt", "pCAL", "sCAL", "sPLT", "iCCP", "IDAT"}) {
        cases.emplace_back(join(33, RawChunk(type, Bytes(16), 1U << 30, 24)),
                           type + ": chunk longer than the file");
    }
    cases.emplace_back(join(small.size() - 12, RawChunk("tEXt", Bytes(16), 1U << 30, 24)),
                       "tEXt: chunk longer than the file");  // the very end
    cases.emplace_back(join(33, RawChunk("a\x01\xff!", Bytes(16), 1U << 30, 24)),
                       "chunk longer than the file");
    cases.emplace_back(join(small.size() - 12, RawChunk("tEXt", Bytes(9), 9, 20)),
                       "truncated PNG file");  // only the CRC is missing
    Bytes text(3U << 20, 'x');                 // whole and sound, 3 MiB: skipped
    text[1] = '\0';
    cases.emplace_back(join(small.size() - 12, RawChunk("iTXt", text, 3U << 20), true), "30");
    cases.emplace_back(join(small.size() - 12, RawChunk("tEXt", text, 3U << 20), true), "30");
    cases.emplace_back(Write({.w = 16384, .h = 2, .type = PNG_COLOR_TYPE_RGBA, .bits = 16}), "0");
    for (const auto& [bytes, outcome] : cases) {
        const DecodedDepth d = Decode(bytes);
        EXPECT_EQ(d.error.empty() ? std::to_string(d.depth[kMapSize / 2 + kMapWidth / 2]) : d.error,
                  outcome);
        EXPECT_LT(d.decoderPeak, 1U << 20) << outcome;
    }
}

// A depth map holds values, not light: gamma, colour-space and profile
// chunks leave each depth within a step of 30 (.2126 R + .7152 G + .0722 B) / 255.
TEST(DepthPng, ColourFilesReadTheirStoredValuesWhateverTheirGamma) {
    const std::vector<png_byte> rgb = {15,  14,  3,   200, 30,  90, 0, 0, 0,   255, 255, 255,
                                       128, 128, 128, 10,  200, 40, 3, 3, 250, 90,  60,  30};
    const png_uint_32 w = rgb.size() / 3;
    const std::function<void(png_structp, png_infop)> chunks[] = {
        [](png_structp, png_infop) {},
        [](png_structp png, png_infop info) { png_set_gAMA_fixed(png, info, 45455); },
        [](png_structp png, png_infop info) { png_set_gAMA_fixed(png, info, 100000); },
        [](png_structp png, png_infop info) { png_set_sRGB_gAMA_and_cHRM(png, info, 0); },
        [](png_structp png, png_infop info) {
            png_set_cHRM_fixed(png, info, 31270, 32900, 70000, 29000, 15000, 60000, 10000, 5000);
        },
        [](png_structp, png_infop) {},  // an ICC profile chunk, put in below
    };
    const auto write = [&](int variant) {
        Bytes out;
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_write_fn(png, &out, Append, [](png_structp) {});
        png_set_IHDR(png, info, w, 1, 8, PNG_COLOR_TYPE_RGB, 0, 0, 0);
        chunks[variant](png, info);
        png_write_info(png, info);
        png_write_row(png, rgb.data());
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
        const Bytes profile = {'s', 'R', 'G',  'B',  0, 0, 0x78, 1, 1,
                               1,   0,   0xfe, 0xff, 0, 0, 1,    0, 1};
        const Bytes iccp = variant == 5 ? RawChunk("iCCP", profile, profile.size()) : Bytes();
        return out.insert(out.begin() + 33, iccp.begin(), iccp.end()), out;
    };
    const DecodedDepth plain = Decode(write(0));
    for (std::size_t i = 0; i < w; ++i) {
        const double rule =
            30 * (.2126 * rgb[3 * i] + .7152 * rgb[3 * i + 1] + .0722 * rgb[3 * i + 2]) / 255;
        EXPECT_LE(std::abs(plain.depth.at(kMapSize / 2 + i * kMapWidth / w) - rule), 1.0) << i;
    }
    EXPECT_EQ(plain.depth[kMapSize / 2], 2);  // (15, 14, 3), not crushed to 0
    for (int variant = 1; variant <= 5; ++variant) {
        EXPECT_TRUE(Decode(write(variant)).depth == plain.depth) << variant;
    }
}

TEST(DepthPng, ReadDepthFileTakesUpTo64MiBAndNamesThePathInItsErrors) {
    const std::string dir = testing::TempDir();
    const std::string path = dir + "velmora-depth-" + std::to_string(std::random_device{}());
    const Bytes bytes = Write({.fill = 7, .texts = {Mapping("200 100")}});
    std::ofstream(path, std::ios::binary) << std::string(bytes.begin(), bytes.end());
    std::filesystem::resize_file(path, kMaxFileBytes);  // what follows the image is left
    const DecodedDepth read = ReadDepthFile(path);
    EXPECT_TRUE(read.error.empty() && read.depth[0] == -2 && Spot(read.brush) == 200100);
    std::filesystem::resize_file(path, kMaxFileBytes + 1);
    EXPECT_EQ(ReadDepthFile(path).error, path + ": file is larger than 64 MiB");
    std::filesystem::remove(path);
    EXPECT_EQ(ReadDepthFile(dir).error.rfind(dir + ": cannot read: ", 0), 0U);  // a directory
}

}  // namespace
}  // namespace velmora::files
