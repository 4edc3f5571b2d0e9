// Judges screenshots of the painter (binary PPM, as ImageMagick's import
// writes them) by what a person would see.
//
//   screen_check map W H X Y                screen position of picture pixel (X, Y)
//   screen_check tiled SHOT PALETTE_BMP     the start picture: the tiled pattern
//   screen_check period SHOT X0 X1 Y0 Y1 P  those pixels repeat every P columns
//   screen_check same A B [X Y]             the same picture, but for the rows that
//                                           a brush moving to (X, Y) rebuilds
//   screen_check stroke A B X Y             as same, and the brush's rows changed
//   screen_check recolour A B PALETTE_BMP   other colours, the same arrangement
//   screen_check grey SHOT X0 X1 Y0 Y1 G    those pixels are all the grey G
//
// Exit status: 0 pass, 1 the check failed (the reason on standard error),
// 2 bad arguments or an unreadable file.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPeriod = 80;
constexpr int kBrushRows = 30;    // rows a brush move may rebuild
constexpr int kPaintedRows = 20;  // rows a painting brush surely changes

using Rgb = std::uint32_t;
using Picture = std::vector<Rgb>;  // kWidth x kHeight, row by row

struct Error {
    int status;
    std::string why;
};
constexpr int kUsage = 2;  // the status for bad arguments or an unreadable file

void Expect(bool ok, const std::string& why, int status = 1) {
    if (!ok) {
        throw Error{status, why};
    }
}

// Names a pixel, or two other numbers; makes the message only on failure.
void Expect(bool ok, const char* what, int x, int y) {
    if (!ok) {
        Expect(false, std::string(what) + ": " + std::to_string(x) + ", " + std::to_string(y));
    }
}

Rgb At(const Picture& picture, int x, int y) {
    return picture[static_cast<std::size_t>(y * kWidth + x)];
}

// Where SDL's logical size puts the picture on a screen: scaled by the
// smaller ratio (the tests keep it whole), centred, black bars around.
std::array<int, 3> ViewOf(int width, int height) {
    const int scale = std::min(width / kWidth, height / kHeight);
    const bool wide = width * kHeight > height * kWidth;
    Expect(scale >= 1 && (wide ? height % kHeight : width % kWidth) == 0,
           "the screen shows the picture at no whole scale", kUsage);
    return {scale, (width - kWidth * scale) / 2, (height - kHeight * scale) / 2};
}

Picture ReadShot(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0;
    int height = 0;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    Expect(in && magic == "P6" && maxValue == 255 && width <= 16384 && height <= 16384,
           path + ": not an 8-bit binary PPM", kUsage);
    const auto [scale, left, top] = ViewOf(width, height);
    in.get();
    std::vector<unsigned char> bytes(3 * static_cast<std::size_t>(width * height));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Expect(static_cast<bool>(in), path + ": truncated", kUsage);
    Picture picture(static_cast<std::size_t>(kWidth * kHeight));
    for (int sy = 0; sy < height; ++sy) {
        for (int sx = 0; sx < width; ++sx) {
            const unsigned char* s = &bytes[3 * static_cast<std::size_t>(sy * width + sx)];
            const Rgb colour = static_cast<Rgb>(s[0] << 16 | s[1] << 8 | s[2]);
            const int x = sx - left;
            const int y = sy - top;
            const auto at = static_cast<std::size_t>(y / scale * kWidth + x / scale);
            if (x < 0 || y < 0 || x >= kWidth * scale || y >= kHeight * scale) {
                Expect(colour == 0, "not black beside the picture (screen pixel)", sx, sy);
            } else if (x % scale == 0 && y % scale == 0) {  // a block's first pixel
                picture[at] = colour;
            } else {
                Expect(colour == picture[at], "no nearest-neighbour scaling (screen pixel)", sx,
                       sy);
            }
        }
    }
    return picture;
}

// The colour table of the pattern bitmap: every colour the screen may show.
std::vector<Rgb> ReadPalette(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
    const std::size_t table =
        b.size() < 18 ? 0 : 14 + (b[14] | b[15] << 8 | b[16] << 16 | std::size_t{b[17]} << 24);
    Expect(table >= 54 && b.size() >= table + 1024 && b[0] == 'B' && b[1] == 'M',
           path + ": no BMP with 256 colours", kUsage);
    std::vector<Rgb> colours;
    for (std::size_t i = table; i < table + 1024; i += 4) {
        colours.push_back(static_cast<Rgb>(b[i + 2] << 16 | b[i + 1] << 8 | b[i]));
    }
    return colours;
}

// Random dots of the palette, repeating every 80 columns but under the
// brush where the program starts it.
void Tiled(const Picture& picture, const std::vector<Rgb>& palette) {
    const std::set<Rgb> allowed(palette.begin(), palette.end());
    std::set<Rgb> seen;
    int unlikeLeft = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb colour = At(picture, x, y);
            Expect(allowed.count(colour) == 1, "a colour outside the palette (pixel)", x, y);
            seen.insert(colour);
            unlikeLeft += x > 0 && colour != At(picture, x - 1, y) ? 1 : 0;
            const bool underBrush = y >= 240 && y < 240 + kPaintedRows && x >= 374;
            Expect(x < kPeriod || underBrush || colour == At(picture, x - kPeriod, y),
                   "unlike the pixel 80 columns left (pixel)", x, y);
        }
    }
    // A blank or striped screen repeats too.
    Expect(seen.size() >= 100 && unlikeLeft >= kWidth * kHeight * 9 / 10,
           "no random dots (colours, pixels unlike their left neighbour)",
           static_cast<int>(seen.size()), unlikeLeft);
}

// Depth d shows as a repeat every 80 - d columns, and no other period fits.
void Period(const Picture& picture, int x0, int x1, int y0, int y1, int period) {
    constexpr int kShortest = 40;
    constexpr int kLongest = 90;
    Expect(x0 >= kLongest && x0 <= x1 && x1 < kWidth && y0 >= 0 && y0 <= y1 && y1 < kHeight &&
               period >= kShortest && period <= kLongest,
           "region or period out of range", kUsage);
    for (int p = kShortest; p <= kLongest; ++p) {
        int matches = 0;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                matches += At(picture, x, y) == At(picture, x - p, y) ? 1 : 0;
            }
        }
        const double fraction = static_cast<double>(matches) / ((x1 - x0 + 1) * (y1 - y0 + 1));
        Expect(p == period ? fraction >= 0.97 : fraction <= 0.5,
               "a wrong share repeats after (columns, percent)", p,
               static_cast<int>(fraction * 100));
    }
}

// Only the rows a brush moving to (brushX, brushY) rebuilds, from its left
// edge on, may change; a painting brush changes each of its painted rows.
void Same(const Picture& a, const Picture& b, int brushX, int brushY, bool painted) {
    std::vector<int> changes(kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const bool changed = At(a, x, y) != At(b, x, y);
            Expect(!changed || (y >= brushY && y < brushY + kBrushRows && x >= brushX),
                   "changed (pixel)", x, y);
            changes[static_cast<std::size_t>(y)] += changed ? 1 : 0;
        }
    }
    for (int y = brushY; painted && y < std::min(brushY + kPaintedRows, kHeight); ++y) {
        Expect(changes[static_cast<std::size_t>(y)] > 0,
               "nothing changed under the brush (column, row)", brushX, y);
    }
}

// The same indexes under another palette: a colour that only one index has
// turns into one colour everywhere, and no two of those into the same one.
void Recolour(const Picture& a, const Picture& b, const std::vector<Rgb>& palette) {
    std::map<Rgb, int> uses;
    for (const Rgb colour : palette) {
        ++uses[colour];
    }
    std::map<Rgb, Rgb> forward;
    std::map<Rgb, Rgb> backward;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb from = At(a, x, y);
            const Rgb to = At(b, x, y);
            Expect(uses.count(from) == 1 && uses.count(to) == 1,
                   "a colour outside the palette (pixel)", x, y);
            Expect((uses[from] > 1 || forward.emplace(from, to).first->second == to) &&
                       (uses[to] > 1 || backward.emplace(to, from).first->second == from),
                   "another arrangement (pixel)", x, y);
        }
    }
    Expect(a != b, "no colour changed");
}

// The depth view shows a flat stretch of depth as one grey.
void Grey(const Picture& picture, int x0, int x1, int y0, int y1, int grey) {
    const auto expected = static_cast<Rgb>(grey * 0x010101);
    for (int y = std::max(y0, 0); y <= std::min(y1, kHeight - 1); ++y) {
        for (int x = std::max(x0, 0); x <= std::min(x1, kWidth - 1); ++x) {
            Expect(At(picture, x, y) == expected, "not the grey (pixel)", x, y);
        }
    }
}

void Run(const std::vector<std::string>& args) {
    const std::size_t count = args.size();
    const std::string verb = count == 0 ? "" : args[0];
    const auto number = [&](std::size_t i) {
        const char* end = args[i].data() + args[i].size();
        int value = 0;
        const auto [stop, error] = std::from_chars(args[i].data(), end, value);
        Expect(error == std::errc() && stop == end, args[i] + ": not a number", kUsage);
        return value;
    };
    if (verb == "map" && count == 5) {
        const auto [scale, left, top] = ViewOf(number(1), number(2));
        std::printf("%d %d\n", left + number(3) * scale + scale / 2,
                    top + number(4) * scale + scale / 2);
    } else if (verb == "tiled" && count == 3) {
        Tiled(ReadShot(args[1]), ReadPalette(args[2]));
    } else if (verb == "period" && count == 7) {
        Period(ReadShot(args[1]), number(2), number(3), number(4), number(5), number(6));
    } else if ((verb == "same" && count == 3) ||
               ((verb == "same" || verb == "stroke") && count == 5)) {
        // Without a brush, no row may change.
        Same(ReadShot(args[1]), ReadShot(args[2]), count == 5 ? number(3) : 0,
             count == 5 ? number(4) : kHeight, verb == "stroke");
    } else if (verb == "grey" && count == 7) {
        Grey(ReadShot(args[1]), number(2), number(3), number(4), number(5), number(6));
    } else if (verb == "recolour" && count == 4) {
        Recolour(ReadShot(args[1]), ReadShot(args[2]), ReadPalette(args[3]));
    } else {
        Expect(false, "bad arguments (see the top of screen_check.cpp)", kUsage);
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const Error& error) {
        std::fprintf(stderr, "screen_check: %s\n", error.why.c_str());
        return error.status;
    }
    return 0;
}
