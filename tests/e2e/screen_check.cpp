// Reads screenshots of the painter's screen (binary PPM, as ImageMagick's
// import writes them) and checks what a person would see. The picture is
// found where SDL puts a 640x480 logical picture on a screen of any size:
// scaled by the smaller of the two ratios, centred, the rest black.
//
//   screen_check map W H X Y              screen position of picture pixel (X, Y)
//   screen_check tiled SHOT PALETTE       the start picture: the tiled pattern
//   screen_check stroke BEFORE AFTER X Y  changes only under a brush stroke at (X, Y)
//   screen_check rested BEFORE AFTER X Y  as stroke, but changes are optional: the
//                                         brush resting at (X, Y) stamped again
//   screen_check period SHOT X0 X1 Y0 Y1 P   pixels repeat every P columns there
//   screen_check same A B                 the same picture
//   screen_check recolour A B PALETTE     same arrangement, other colours
//
// Exit status: 0 pass, 1 the check failed (one line on standard error),
// 2 bad arguments or an unreadable file, 3 (recolour only) no colour changed.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kPeriod = 80;
constexpr int kBrushWidth = 30;
constexpr int kBrushHeight = 30;
constexpr int kBrushPaintedRows = 20;
constexpr int kStartBrushX = 374;
constexpr int kStartBrushY = 240;
constexpr int kFail = 1;
constexpr int kUsage = 2;
constexpr int kUnchanged = 3;

using Rgb = std::uint32_t;

struct Shot {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    Rgb At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Where the logical picture lies on a screen, as SDL's logical size puts it.
struct Viewport {
    double scale = 1;
    int x = 0;
    int y = 0;
    int width = kWidth;
    int height = kHeight;
};

Viewport ViewportFor(int screenWidth, int screenHeight) {
    Viewport v;
    const double want = static_cast<double>(kWidth) / kHeight;
    const double real = static_cast<double>(screenWidth) / screenHeight;
    if (std::fabs(want - real) < 0.0001 || want > real) {
        v.scale = static_cast<double>(screenWidth) / kWidth;
        v.width = screenWidth;
        v.height = static_cast<int>(std::floor(kHeight * v.scale));
        v.y = (screenHeight - v.height) / 2;
    } else {
        v.scale = static_cast<double>(screenHeight) / kHeight;
        v.height = screenHeight;
        v.width = static_cast<int>(std::floor(kWidth * v.scale));
        v.x = (screenWidth - v.width) / 2;
    }
    return v;
}

// The screen pixel at the centre of picture pixel (x, y).
std::pair<int, int> CentreOf(const Viewport& v, int x, int y) {
    return {v.x + static_cast<int>(std::floor((x + 0.5) * v.scale)),
            v.y + static_cast<int>(std::floor((y + 0.5) * v.scale))};
}

// The 640x480 picture, one colour per logical pixel.
struct Picture {
    std::vector<Rgb> pixels = std::vector<Rgb>(static_cast<std::size_t>(kWidth) * kHeight);
    Rgb At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * kWidth + x]; }
};

bool Fail(const std::string& message) {
    std::fprintf(stderr, "screen_check: %s\n", message.c_str());
    return false;
}

// Skips blanks and comments between the header fields of a PPM.
bool ReadHeaderNumber(std::istream& in, int& value) {
    while (true) {
        const int c = in.peek();
        if (c == '#') {
            std::string comment;
            std::getline(in, comment);
        } else if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            in.get();
        } else {
            break;
        }
    }
    return static_cast<bool>(in >> value);
}

std::optional<Shot> ReadShot(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    if (!in || !(in >> magic) || magic != "P6") {
        Fail(path + ": not a binary PPM");
        return std::nullopt;
    }
    Shot shot;
    int maxValue = 0;
    if (!ReadHeaderNumber(in, shot.width) || !ReadHeaderNumber(in, shot.height) ||
        !ReadHeaderNumber(in, maxValue) || shot.width < kWidth || shot.height < kHeight ||
        shot.width > 16384 || shot.height > 16384 || (maxValue != 255 && maxValue != 65535)) {
        Fail(path + ": unexpected PPM header");
        return std::nullopt;
    }
    in.get();  // the single blank before the samples
    // Two bytes a sample (most significant first) when the maximum is 65535.
    const std::size_t sampleBytes = maxValue == 255 ? 1 : 2;
    const std::size_t count = static_cast<std::size_t>(shot.width) * shot.height;
    std::vector<unsigned char> bytes(count * 3 * sampleBytes);
    if (!in.read(reinterpret_cast<char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()))) {
        Fail(path + ": truncated");
        return std::nullopt;
    }
    shot.pixels.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* sample = &bytes[3 * sampleBytes * i];
        shot.pixels[i] = static_cast<Rgb>(sample[0]) << 16 |
                         static_cast<Rgb>(sample[sampleBytes]) << 8 | sample[2 * sampleBytes];
    }
    return shot;
}

Picture Decode(const Shot& shot) {
    const Viewport v = ViewportFor(shot.width, shot.height);
    Picture picture;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto [sx, sy] = CentreOf(v, x, y);
            picture.pixels[static_cast<std::size_t>(y) * kWidth + x] = shot.At(sx, sy);
        }
    }
    return picture;
}

std::optional<Picture> ReadPicture(const std::string& path) {
    const std::optional<Shot> shot = ReadShot(path);
    if (!shot) {
        return std::nullopt;
    }
    return Decode(*shot);
}

// The colour table of the pattern bitmap: every colour the screen may show.
std::optional<std::vector<Rgb>> ReadPalette(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    constexpr std::size_t kFileHeader = 14;
    if (bytes.size() < kFileHeader + 4 || bytes[0] != 'B' || bytes[1] != 'M') {
        Fail(path + ": not a BMP file");
        return std::nullopt;
    }
    const std::size_t infoSize =
        bytes[14] | bytes[15] << 8 | bytes[16] << 16 | static_cast<std::size_t>(bytes[17]) << 24;
    const std::size_t table = kFileHeader + infoSize;
    if (infoSize < 40 || infoSize > 1024 || bytes.size() < table + 256 * 4) {
        Fail(path + ": no 256-entry colour table");
        return std::nullopt;
    }
    std::vector<Rgb> colours(256);
    for (std::size_t i = 0; i < 256; ++i) {
        const std::size_t at = table + 4 * i;
        colours[i] = static_cast<Rgb>(bytes[at + 2]) << 16 | static_cast<Rgb>(bytes[at + 1]) << 8 |
                     bytes[at];
    }
    return colours;
}

std::string Hex(Rgb colour) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%06x", colour);
    return text.data();
}

std::string Where(int x, int y) {
    return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

// At a whole-number scale every screen pixel of a picture pixel has its
// colour (nearest-neighbour scaling), and the bars beside the picture are
// black.
bool CheckScaling(const Shot& shot, const Picture& picture) {
    const Viewport v = ViewportFor(shot.width, shot.height);
    const int whole = static_cast<int>(v.scale);
    for (int sy = 0; sy < shot.height; ++sy) {
        for (int sx = 0; sx < shot.width; ++sx) {
            const bool inside = sx >= v.x && sx < v.x + v.width && sy >= v.y && sy < v.y + v.height;
            if (!inside) {
                if (shot.At(sx, sy) != 0) {
                    return Fail("screen pixel " + Where(sx, sy) + " beside the picture is " +
                                Hex(shot.At(sx, sy)) + ", not black");
                }
            } else if (whole == v.scale) {
                const int x = (sx - v.x) / whole;
                const int y = (sy - v.y) / whole;
                if (shot.At(sx, sy) != picture.At(x, y)) {
                    return Fail("screen pixel " + Where(sx, sy) + " differs from picture pixel " +
                                Where(x, y) + ": not nearest-neighbour scaling");
                }
            }
        }
    }
    return true;
}

bool CheckColours(const Picture& picture, const std::vector<Rgb>& palette) {
    const std::set<Rgb> allowed(palette.begin(), palette.end());
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (allowed.count(picture.At(x, y)) == 0) {
                return Fail("pixel " + Where(x, y) + " is " + Hex(picture.At(x, y)) +
                            ", no colour of the palette");
            }
        }
    }
    return true;
}

bool Tiled(const Shot& shot, const Picture& picture, const std::vector<Rgb>& palette) {
    if (!CheckScaling(shot, picture) || !CheckColours(picture, palette)) {
        return false;
    }
    std::set<Rgb> colours;
    int neighboursDiffer = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            colours.insert(picture.At(x, y));
            if (x > 0 && picture.At(x, y) != picture.At(x - 1, y)) {
                ++neighboursDiffer;
            }
            const bool underStartBrush =
                y >= kStartBrushY && y < kStartBrushY + kBrushPaintedRows && x >= kStartBrushX;
            if (x >= kPeriod && !underStartBrush &&
                picture.At(x, y) != picture.At(x - kPeriod, y)) {
                return Fail("pixel " + Where(x, y) + " differs from the one 80 columns left");
            }
        }
    }
    // A blank or striped screen repeats too; random dots have many colours
    // and seldom repeat their neighbour.
    if (colours.size() < 100 || neighboursDiffer < kWidth * kHeight * 9 / 10) {
        return Fail("no random-dot pattern: " + std::to_string(colours.size()) + " colours, " +
                    std::to_string(neighboursDiffer) + " pixels unlike their left neighbour");
    }
    return true;
}

bool Stroke(const Picture& before, const Picture& after, int brushX, int brushY, bool mustChange) {
    std::vector<int> changedInRow(kHeight, 0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (before.At(x, y) == after.At(x, y)) {
                continue;
            }
            if (y < brushY || y >= brushY + kBrushHeight || x < brushX) {
                return Fail("pixel " + Where(x, y) + " changed outside the stroke's rows " +
                            std::to_string(brushY) + ".." + std::to_string(brushY + 29) +
                            " right of column " + std::to_string(brushX));
            }
            ++changedInRow[static_cast<std::size_t>(y)];
        }
    }
    for (int y = brushY; mustChange && y < brushY + kBrushPaintedRows && y < kHeight; ++y) {
        if (changedInRow[static_cast<std::size_t>(y)] == 0) {
            return Fail("row " + std::to_string(y) + " under the brush did not change");
        }
    }
    return true;
}

double MatchFraction(const Picture& picture, int x0, int x1, int y0, int y1, int period) {
    int matches = 0;
    int total = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            ++total;
            if (picture.At(x, y) == picture.At(x - period, y)) {
                ++matches;
            }
        }
    }
    return total == 0 ? 0 : static_cast<double>(matches) / total;
}

// Painted depth d shows as a repeat every 80 - d columns.
bool Period(const Picture& picture, int x0, int x1, int y0, int y1, int period) {
    constexpr int kShortest = 40;
    if (x0 > x1 || y0 > y1 || x0 - kPeriod < 0 || x1 >= kWidth || y0 < 0 || y1 >= kHeight ||
        period < kShortest || period > kPeriod + 10) {
        return Fail("region or period out of range");
    }
    int best = 0;
    double bestFraction = -1;
    double runnerUp = -1;
    for (int p = kShortest; p <= kPeriod + 10; ++p) {
        const double f = MatchFraction(picture, x0, x1, y0, y1, p);
        if (f > bestFraction) {
            runnerUp = bestFraction;
            bestFraction = f;
            best = p;
        } else if (f > runnerUp) {
            runnerUp = f;
        }
    }
    if (best != period || bestFraction < 0.97 || runnerUp > 0.5) {
        return Fail("columns " + std::to_string(x0) + ".." + std::to_string(x1) + ", rows " +
                    std::to_string(y0) + ".." + std::to_string(y1) + " repeat every " +
                    std::to_string(best) + " (" + std::to_string(bestFraction) + "), not " +
                    std::to_string(period));
    }
    return true;
}

bool Same(const Picture& a, const Picture& b) {
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (a.At(x, y) != b.At(x, y)) {
                return Fail("pixel " + Where(x, y) + " differs: " + Hex(a.At(x, y)) + " then " +
                            Hex(b.At(x, y)));
            }
        }
    }
    return true;
}

// Another palette over the same indexes: wherever a colour stands for a
// single index (it appears once in the palette), it turns into one colour
// everywhere, and no two such colours turn into the same one. Colours that
// several indexes share may split, but never into more pairs than there
// are indexes.
int Recolour(const Picture& a, const Picture& b, const std::vector<Rgb>& palette) {
    std::map<Rgb, int> uses;
    for (const Rgb c : palette) {
        ++uses[c];
    }
    std::map<Rgb, Rgb> forward;
    std::map<Rgb, Rgb> backward;
    std::set<std::pair<Rgb, Rgb>> pairs;
    bool changed = false;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Rgb from = a.At(x, y);
            const Rgb to = b.At(x, y);
            if (uses.count(from) == 0 || uses.count(to) == 0) {
                Fail("pixel " + Where(x, y) + " shows a colour outside the palette");
                return kFail;
            }
            changed = changed || from != to;
            pairs.insert({from, to});
            if (uses[from] == 1) {
                const auto [it, fresh] = forward.emplace(from, to);
                if (!fresh && it->second != to) {
                    Fail("colour " + Hex(from) + " turned into both " + Hex(it->second) + " and " +
                         Hex(to) + " (at " + Where(x, y) + "): the arrangement changed");
                    return kFail;
                }
            }
            if (uses[to] == 1) {
                const auto [it, fresh] = backward.emplace(to, from);
                if (!fresh && it->second != from) {
                    Fail("colours " + Hex(it->second) + " and " + Hex(from) + " both turned into " +
                         Hex(to) + " (at " + Where(x, y) + "): the arrangement changed");
                    return kFail;
                }
            }
        }
    }
    if (pairs.size() > palette.size()) {
        Fail(std::to_string(pairs.size()) +
             " colour pairs for 256 indexes: the arrangement changed");
        return kFail;
    }
    return changed ? 0 : kUnchanged;
}

bool Number(std::string_view text, int& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int Usage() {
    std::fprintf(stderr,
                 "screen_check: bad arguments (see the comment at the top of the source)\n");
    return kUsage;
}

int Verdict(bool passed) {
    return passed ? 0 : kFail;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        return Usage();
    }
    const std::string& command = args[0];
    std::vector<int> numbers;
    for (std::size_t i = 1; i < args.size(); ++i) {
        int value = 0;
        if (Number(args[i], value)) {
            numbers.push_back(value);
        }
    }
    if (command == "map" && args.size() == 5 && numbers.size() == 4) {
        if (numbers[0] < kWidth || numbers[1] < kHeight || numbers[2] < 0 || numbers[2] >= kWidth ||
            numbers[3] < 0 || numbers[3] >= kHeight) {
            return Usage();
        }
        const auto [sx, sy] = CentreOf(ViewportFor(numbers[0], numbers[1]), numbers[2], numbers[3]);
        std::printf("%d %d\n", sx, sy);
        return 0;
    }
    if (command == "tiled" && args.size() == 3) {
        const std::optional<Shot> shot = ReadShot(args[1]);
        const std::optional<std::vector<Rgb>> palette = ReadPalette(args[2]);
        if (!shot || !palette) {
            return kUsage;
        }
        return Verdict(Tiled(*shot, Decode(*shot), *palette));
    }
    if ((command == "stroke" || command == "rested") && args.size() == 5 && numbers.size() == 2) {
        const std::optional<Picture> before = ReadPicture(args[1]);
        const std::optional<Picture> after = ReadPicture(args[2]);
        if (!before || !after) {
            return kUsage;
        }
        return Verdict(Stroke(*before, *after, numbers[0], numbers[1], command == "stroke"));
    }
    if (command == "period" && args.size() == 7 && numbers.size() == 5) {
        const std::optional<Picture> picture = ReadPicture(args[1]);
        if (!picture) {
            return kUsage;
        }
        return Verdict(
            Period(*picture, numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]));
    }
    if (command == "same" && args.size() == 3) {
        const std::optional<Picture> a = ReadPicture(args[1]);
        const std::optional<Picture> b = ReadPicture(args[2]);
        if (!a || !b) {
            return kUsage;
        }
        return Verdict(Same(*a, *b));
    }
    if (command == "recolour" && args.size() == 4) {
        const std::optional<Picture> a = ReadPicture(args[1]);
        const std::optional<Picture> b = ReadPicture(args[2]);
        const std::optional<std::vector<Rgb>> palette = ReadPalette(args[3]);
        if (!a || !b || !palette) {
            return kUsage;
        }
        return Recolour(*a, *b, *palette);
    }
    return Usage();
}
