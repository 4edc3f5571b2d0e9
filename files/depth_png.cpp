#include "files/depth_png.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace velmora::files {

namespace {

// libpng reports errors by a long jump out of its own frames. Every object
// the jump could skip is kept out of the functions that call setjmp: their
// state lives in a plain struct owned by the caller, and between setjmp and
// the last libpng call they create nothing with a destructor. The callbacks
// below that may raise an error hold nothing with a destructor either.

constexpr char kKeyword[] = "velmora-depth";
constexpr std::string_view kMapping = "grey = 7 * (depth + 3); brush ";
// The most libpng may hold at once while reading: its own state, the
// inflater and a few rows of the widest image allowed take well under 1 MiB.
// Every chunk that would need a buffer of its own (text, profiles, ...) is
// skipped unread, so nothing in a file can ask for more.
constexpr std::size_t kMaxDecoderBytes = 8U << 20;
// Widest pixel before conversion: RGBA, 16 bits a sample.
constexpr std::size_t kMaxPixelBytes = 8;

struct PngContext {
    const std::uint8_t* bytes = nullptr;  // reading
    std::size_t size = 0;
    std::size_t at = 0;
    std::vector<std::uint8_t>* sink = nullptr;  // writing
    std::size_t held = 0;                       // what libpng holds now
    std::size_t peak = 0;                       // and the most it held
    char message[160] = {};
};

void SetMessage(PngContext& context, const char* text) {
    std::size_t n = 0;
    for (; text[n] != '\0' && n + 1 < sizeof(context.message); ++n) {
        const auto c = static_cast<unsigned char>(text[n]);
        context.message[n] = c < 0x20 || c == 0x7f ? ' ' : text[n];  // one line
    }
    context.message[n] = '\0';
}

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
    auto* context = static_cast<PngContext*>(png_get_error_ptr(png));
    SetMessage(*context, message != nullptr && message[0] != '\0' ? message : "PNG error");
    png_longjmp(png, 1);
}

void OnWarning(png_structp /*png*/, png_const_charp /*message*/) {}

void ReadBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    if (length > context->size - context->at) {
        png_error(png, "truncated PNG file");
    }
    std::memcpy(out, context->bytes + context->at, length);
    context->at += length;
}

void WriteBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* context = static_cast<PngContext*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        context->sink->insert(context->sink->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    if (!stored) {
        png_error(png, "out of memory");
    }
}

void FlushNothing(png_structp /*png*/) {}

// libpng's allocations while reading, counted and capped: whatever a file
// declares, the decoder cannot take more than kMaxDecoderBytes. Each block
// carries its size in front so that freeing it can be counted too.
constexpr std::size_t kBlockHeader = alignof(std::max_align_t);

png_voidp AllocateCounted(png_structp png, png_alloc_size_t size) {
    auto* context = static_cast<PngContext*>(png_get_mem_ptr(png));
    if (size > kMaxDecoderBytes - context->held) {
        return nullptr;  // libpng reports it as out of memory
    }
    auto* block = static_cast<std::uint8_t*>(std::malloc(size + kBlockHeader));
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(block, &size, sizeof(size));
    context->held += size;
    context->peak = std::max(context->peak, context->held);
    return block + kBlockHeader;
}

void FreeCounted(png_structp png, png_voidp pointer) {
    if (pointer == nullptr) {
        return;
    }
    auto* context = static_cast<PngContext*>(png_get_mem_ptr(png));
    auto* block = static_cast<std::uint8_t*>(pointer) - kBlockHeader;
    std::size_t size = 0;
    std::memcpy(&size, block, sizeof(size));
    context->held -= size;
    std::free(block);
}

std::string LargerThanFileLimit() {
    return "file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MiB";
}

// --- writing -------------------------------------------------------------------

// A 640x480 PNG of 8-bit samples, `channels` to a pixel (1 grey, 3 RGB), the
// rows taken from `pixels`; `text`, when given, in a tEXt chunk under our
// keyword before the image data. No time chunk: equal input, equal bytes.
bool WritePng(const std::uint8_t* pixels, int channels, const char* text, PngContext& context) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &context, OnError, OnWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        SetMessage(context, "cannot start the PNG encoder");
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {  // NOLINT(cert-err52-cpp)
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &context, WriteBytes, FlushNothing);
    png_set_IHDR(png, info, kMapWidth, kMapHeight, 8,
                 channels == 1 ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (text != nullptr) {
        png_text entry{};
        entry.compression = PNG_TEXT_COMPRESSION_NONE;
        entry.key = const_cast<png_charp>(kKeyword);
        entry.text = const_cast<png_charp>(text);
        entry.text_length = std::strlen(text);
        png_set_text(png, info, &entry, 1);
    }
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(kMapWidth) * channels;
    for (std::size_t y = 0; y < kMapHeight; ++y) {
        png_write_row(png, pixels + y * stride);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& pixels, int channels,
                                 const char* text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    PngContext context;
    context.sink = &bytes;
    if (!WritePng(pixels.data(), channels, text, context)) {
        error = std::string("PNG encoding failed: ") + context.message;
        return {};
    }
    error.clear();
    return bytes;
}

bool BrushInRange(int x, int y) {
    return x >= stereo::kMinBrushX && x <= stereo::kMaxBrushX && y >= 0 && y <= stereo::kMaxBrushY;
}

// --- reading -------------------------------------------------------------------

// Where the source image lands in the map: scaled by min(640 / w, 480 / h),
// the scaled size rounded (at least a pixel), centred. Each map pixel of the
// rectangle takes the source pixel under its centre.
struct Placement {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::array<std::uint32_t, kMapWidth> sourceColumn{};
    std::array<std::uint32_t, kMapHeight> sourceRow{};
};

void Place(std::uint32_t w, std::uint32_t h, Placement& p) {
    const std::uint64_t sw = w;
    const std::uint64_t sh = h;
    auto rounded = [](std::uint64_t numerator, std::uint64_t denominator) {
        return std::max<int>(1,
                             static_cast<int>((2 * numerator + denominator) / (2 * denominator)));
    };
    if (sh * kMapWidth <= sw * kMapHeight) {
        p.width = kMapWidth;
        p.height = rounded(sh * kMapWidth, sw);
    } else {
        p.height = kMapHeight;
        p.width = rounded(sw * kMapHeight, sh);
    }
    p.left = (kMapWidth - p.width) / 2;
    p.top = (kMapHeight - p.height) / 2;
    for (int i = 0; i < p.width; ++i) {
        p.sourceColumn[i] = static_cast<std::uint32_t>((2U * i + 1U) * sw / (2U * p.width));
    }
    for (int j = 0; j < p.height; ++j) {
        p.sourceRow[j] = static_cast<std::uint32_t>((2U * j + 1U) * sh / (2U * p.height));
    }
}

enum class Chunk { kAbsent, kGood, kBad, kBrushOutside };

// The state of one decoding, outside the frame that calls setjmp.
struct Decoder {
    PngContext context;
    std::vector<std::uint8_t> row;      // one decoded row
    std::vector<std::int8_t>* depth{};  // the map being filled
    Chunk ownChunk = Chunk::kAbsent;    // found by ScanChunks
    std::optional<BrushSpot> brush;     // from our chunk
    bool own = false;                   // our own depth map: greys back to depths
    bool sixteen = false;               // 16 bits a sample after conversion
    bool alpha = false;                 // grey and alpha after conversion
    Placement placement;
    char text[160] = {};  // an error message being built
};

// Decimal digits, no sign, no leading zero.
bool ParseNumber(std::string_view text, int& value) {
    if (text.empty() || (text[0] == '0' && text.size() > 1)) {
        return false;
    }
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    return status == std::errc() && end == text.data() + text.size();
}

Chunk ParseMapping(std::string_view text, std::optional<BrushSpot>& brush) {
    if (text.substr(0, kMapping.size()) != kMapping) {
        return Chunk::kBad;
    }
    text.remove_prefix(kMapping.size());
    if (text == "none") {
        brush.reset();
        return Chunk::kGood;
    }
    const std::size_t space = text.find(' ');
    BrushSpot spot;
    if (space == std::string_view::npos || !ParseNumber(text.substr(0, space), spot.x) ||
        !ParseNumber(text.substr(space + 1), spot.y)) {
        return Chunk::kBad;
    }
    if (!BrushInRange(spot.x, spot.y)) {
        return Chunk::kBrushOutside;
    }
    brush = spot;
    return Chunk::kGood;
}

// Everything read by luminance: the pixels become grey (or grey and alpha)
// of 8 or 16 bits, at the file's own precision.
void ConvertToLuminance(png_structp png, png_infop info) {
    const int colourType = png_get_color_type(png, info);
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_palette_to_rgb(png);
    }
    if (colourType == PNG_COLOR_TYPE_GRAY && png_get_bit_depth(png, info) < 8) {
        png_set_expand_gray_1_2_4_to_8(png);
    }
    if (png_get_valid(png, info, PNG_INFO_tRNS) != 0) {
        png_set_tRNS_to_alpha(png);
    }
    if ((colourType & PNG_COLOR_MASK_COLOR) != 0) {
        png_set_rgb_to_gray_fixed(png, PNG_ERROR_ACTION_NONE, -1, -1);
    }
}

std::int8_t OwnDepth(std::uint8_t grey) {
    // The nearest depth whose grey is 7 * (depth + 3).
    const int step =
        std::min((grey + 3) / stereo::kGreyStep, stereo::kNearestDepth - stereo::kFarthestDepth);
    return static_cast<std::int8_t>(step + stereo::kFarthestDepth);
}

// Luminance over black, black 0 and white kForeignWhiteDepth, rounded.
std::int8_t ForeignDepth(std::uint64_t luminance, std::uint64_t alpha, std::uint64_t full) {
    const std::uint64_t scale = full * full;
    return static_cast<std::int8_t>((luminance * alpha * kForeignWhiteDepth * 2 + scale) /
                                    (2 * scale));
}

std::int8_t DepthAt(const Decoder& d, std::uint32_t pixel) {
    const std::uint8_t* p = d.row.data();
    if (d.own) {
        return OwnDepth(p[pixel]);
    }
    if (!d.sixteen) {
        const std::size_t at = pixel * (d.alpha ? 2U : 1U);
        return ForeignDepth(p[at], d.alpha ? p[at + 1] : 0xff, 0xff);
    }
    const std::size_t at = pixel * (d.alpha ? 4U : 2U);
    const auto sample = [p](std::size_t i) { return (std::uint64_t{p[i]} << 8) | p[i + 1]; };
    return ForeignDepth(sample(at), d.alpha ? sample(at + 2) : 0xffff, 0xffff);
}

// Puts the decoded row `y` of the image (with interlacing, the pixels of
// one pass: every 2^shift-th from column `first`) where the placement wants
// it. Every map row that samples row `y` is the same, so the first is
// copied to the others (with interlacing, earlier passes' pixels included).
void PlaceRow(Decoder& d, std::uint32_t y, std::uint32_t first, int shift) {
    const Placement& p = d.placement;
    const auto* rowsBegin = p.sourceRow.data();
    const auto [from, to] = std::equal_range(rowsBegin, rowsBegin + p.height, y);
    if (from == to) {
        return;
    }
    auto mapRow = [&](const std::uint32_t* j) {
        return d.depth->data() + static_cast<std::size_t>(p.top + (j - rowsBegin)) * kMapWidth +
               p.left;
    };
    std::int8_t* out = mapRow(from);
    const std::uint32_t mask = (1U << shift) - 1;
    for (int i = 0; i < p.width; ++i) {
        const std::uint32_t x = p.sourceColumn[i];
        if (x >= first && ((x - first) & mask) == 0) {
            out[i] = DepthAt(d, (x - first) >> shift);
        }
    }
    for (const auto* j = from + 1; j != to; ++j) {
        std::memcpy(mapRow(j), out, static_cast<std::size_t>(p.width));
    }
}

bool ReadPng(Decoder& d) {
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &d.context, OnError,
                                               OnWarning, &d.context, AllocateCounted, FreeCounted);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        SetMessage(d.context, "cannot start the PNG decoder");
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {  // NOLINT(cert-err52-cpp)
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &d.context, ReadBytes);
    png_set_user_limits(png, kMaxImageSide, kMaxImageSide);
    // Every chunk but IHDR, PLTE, tRNS, IDAT and IEND is skipped unread (its
    // CRC still checked): text chunks would be buffered whole, whatever
    // their size, and gamma and colour-profile chunks would make libpng read
    // the stored values as light. A depth map holds values, not light.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    // A damaged chunk of any kind refuses the file: a depth map whose own
    // chunk was dropped would otherwise pass for a picture from elsewhere.
    png_set_crc_action(png, PNG_CRC_DEFAULT, PNG_CRC_ERROR_QUIT);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (static_cast<std::uint64_t>(png_get_rowbytes(png, info)) * height > kMaxDecodedBytes) {
        std::snprintf(d.text, sizeof(d.text), "image is %ux%u, too large to decode",
                      static_cast<unsigned>(width), static_cast<unsigned>(height));
        png_error(png, d.text);
    }
    switch (d.ownChunk) {
        case Chunk::kBad:
            png_error(png, "bad velmora-depth text chunk");
        case Chunk::kBrushOutside:
            png_error(png, "brush spot out of range in the velmora-depth text chunk");
        case Chunk::kGood:
            d.own = png_get_color_type(png, info) == PNG_COLOR_TYPE_GRAY &&
                    png_get_bit_depth(png, info) == 8 && width == kMapWidth && height == kMapHeight;
            break;
        case Chunk::kAbsent:
            break;
    }
    if (!d.own) {
        ConvertToLuminance(png, info);
    }
    // No interlace handling: each pass comes as its own small image.
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const int bits = png_get_bit_depth(png, info);
    if ((channels != 1 && channels != 2) || (bits != 8 && bits != 16) ||
        png_get_rowbytes(png, info) > d.row.size()) {
        png_error(png, "unexpected pixel layout after conversion");
    }
    d.sixteen = bits == 16;
    d.alpha = channels == 2;
    Place(width, height, d.placement);

    const bool interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
        const png_uint_32 columns = interlaced ? PNG_PASS_COLS(width, pass) : width;
        const png_uint_32 rows = interlaced ? PNG_PASS_ROWS(height, pass) : height;
        if (columns == 0 || rows == 0) {
            continue;  // libpng skips empty passes
        }
        for (png_uint_32 r = 0; r < rows; ++r) {
            png_read_row(png, d.row.data(), nullptr);
            if (interlaced) {
                PlaceRow(d, PNG_ROW_FROM_PASS_ROW(r, pass), PNG_PASS_START_COL(pass),
                         PNG_PASS_COL_SHIFT(pass));
            } else {
                PlaceRow(d, r, 0, 0);
            }
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

// Clearer words than libpng's "Invalid IHDR data" for the sizes refused.
std::string CheckHeaderSize(const std::uint8_t* bytes, std::size_t size) {
    if (size < 24 || std::memcmp(bytes + 12, "IHDR", 4) != 0) {
        return {};
    }
    const std::uint32_t w = BigEndian32(bytes + 16);
    const std::uint32_t h = BigEndian32(bytes + 20);
    std::string dimensions = "image is " + std::to_string(w) + "x" + std::to_string(h);
    if (w == 0 || h == 0) {
        return dimensions;
    }
    if (w > kMaxImageSide || h > kMaxImageSide) {
        return dimensions + ", more than " + std::to_string(kMaxImageSide) + " pixels a side";
    }
    return {};
}

// "tEXt: " before a message about a chunk, when its type is printable.
std::string ChunkPrefix(const std::uint8_t* type) {
    const bool letters = std::all_of(type, type + 4, [](std::uint8_t c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    return letters ? std::string(type, type + 4) + ": " : std::string();
}

struct ChunkScan {
    std::string error;
    Chunk own = Chunk::kAbsent;
    std::optional<BrushSpot> brush;
};

// Walks the chunks before libpng reads them: a chunk whose declared length
// runs past the end of the data is refused before anything is allocated for
// it, and our own text chunk (exactly one tEXt before the image data) is
// read here, since libpng skips every text chunk. CRCs are left to libpng.
ChunkScan ScanChunks(const std::uint8_t* bytes, std::size_t size) {
    ChunkScan scan;
    bool beforeImage = true;
    for (std::size_t at = 8; at + 8 <= size;) {
        const std::uint32_t length = BigEndian32(bytes + at);
        const std::uint8_t* type = bytes + at + 4;
        if (length > size - at - 8) {
            scan.error = ChunkPrefix(type) + "chunk longer than the file";
            return scan;
        }
        if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        }
        beforeImage = beforeImage && std::memcmp(type, "IDAT", 4) != 0;
        const std::string_view data(reinterpret_cast<const char*>(type + 4), length);
        const bool plain = std::memcmp(type, "tEXt", 4) == 0;
        const bool text =
            plain || std::memcmp(type, "zTXt", 4) == 0 || std::memcmp(type, "iTXt", 4) == 0;
        if (beforeImage && text && data.substr(0, data.find('\0')) == kKeyword) {
            if (scan.own != Chunk::kAbsent || !plain) {
                scan.own = Chunk::kBad;  // a second one, or compressed
            } else {
                const std::string_view rest = data.substr(std::min(data.size(), sizeof(kKeyword)));
                scan.own = ParseMapping(rest.substr(0, rest.find('\0')), scan.brush);
            }
        }
        at += 12 + static_cast<std::size_t>(length);
    }
    return scan;
}

DecodedDepth Failed(std::string error) {
    DecodedDepth result;
    result.error = std::move(error);
    return result;
}

}  // namespace

std::vector<std::uint8_t> EncodePicturePng(const std::uint8_t* indexes,
                                           const std::array<Rgb, 256>& palette,
                                           std::string& error) {
    std::vector<std::uint8_t> rgb(kMapSize * 3);
    for (std::size_t i = 0; i < kMapSize; ++i) {
        const Rgb& entry = palette[indexes[i]];
        rgb[i * 3] = entry.red;
        rgb[i * 3 + 1] = entry.green;
        rgb[i * 3 + 2] = entry.blue;
    }
    return Encode(rgb, 3, nullptr, error);
}

std::vector<std::uint8_t> EncodeViewPng(const std::uint32_t* argb, std::string& error) {
    std::vector<std::uint8_t> rgb(kMapSize * 3);
    for (std::size_t i = 0; i < kMapSize; ++i) {
        rgb[i * 3] = static_cast<std::uint8_t>(argb[i] >> 16);
        rgb[i * 3 + 1] = static_cast<std::uint8_t>(argb[i] >> 8);
        rgb[i * 3 + 2] = static_cast<std::uint8_t>(argb[i]);
    }
    return Encode(rgb, 3, nullptr, error);
}

std::vector<std::uint8_t> EncodeDepthPng(const std::int8_t* depth,
                                         const std::optional<BrushSpot>& brush,
                                         std::string& error) {
    if (brush && !BrushInRange(brush->x, brush->y)) {
        error = "brush spot out of range";
        return {};
    }
    std::vector<std::uint8_t> grey(kMapSize);
    std::transform(depth, depth + kMapSize, grey.begin(),
                   [](std::int8_t d) { return stereo::DepthGrey(d); });
    const std::string text =
        std::string(kMapping) +
        (brush ? std::to_string(brush->x) + " " + std::to_string(brush->y) : "none");
    return Encode(grey, 1, text.c_str(), error);
}

DecodedDepth DecodeDepthPng(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return Failed("file is empty");
    }
    if (size > kMaxFileBytes) {
        return Failed(LargerThanFileLimit());
    }
    if (png_sig_cmp(bytes, 0, std::min<std::size_t>(size, 8)) != 0) {
        return Failed("not a PNG file");
    }
    if (std::string problem = CheckHeaderSize(bytes, size); !problem.empty()) {
        return Failed(std::move(problem));
    }
    ChunkScan scan = ScanChunks(bytes, size);
    if (!scan.error.empty()) {
        return Failed(std::move(scan.error));
    }
    DecodedDepth result;
    result.depth.assign(kMapSize, 0);
    Decoder decoder;
    decoder.ownChunk = scan.own;
    decoder.brush = scan.brush;
    decoder.context.bytes = bytes;
    decoder.context.size = size;
    decoder.row.resize(static_cast<std::size_t>(kMaxImageSide) * kMaxPixelBytes);
    decoder.depth = &result.depth;
    if (!ReadPng(decoder)) {
        DecodedDepth failed = Failed(decoder.context.message);
        failed.decoderPeak = decoder.context.peak;
        return failed;
    }
    if (decoder.own) {
        result.brush = decoder.brush;
    }
    result.decoderPeak = decoder.context.peak;
    return result;
}

DecodedDepth ReadDepthFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return Failed(path + ": cannot read: " + std::strerror(errno));
    }
    // Read in pieces up to one past the limit: a size asked of the system
    // could be stale, or meaningless for a directory.
    constexpr std::size_t kPiece = 1U << 16;
    std::vector<std::uint8_t> bytes;
    std::string problem;
    while (bytes.size() <= kMaxFileBytes) {
        const std::size_t at = bytes.size();
        bytes.resize(at + kPiece);
        const std::size_t got = std::fread(bytes.data() + at, 1, kPiece, file);
        bytes.resize(at + got);
        if (got < kPiece) {
            if (std::ferror(file) != 0) {
                problem = std::string("cannot read: ") + std::strerror(errno);
            }
            break;
        }
    }
    std::fclose(file);
    DecodedDepth result =
        problem.empty() ? DecodeDepthPng(bytes.data(), bytes.size()) : Failed(std::move(problem));
    if (!result.error.empty()) {
        result.error = path + ": " + result.error;
    }
    return result;
}

}  // namespace velmora::files
