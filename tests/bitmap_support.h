#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace velmora::test {

// Builds bitmap bytes for the loaders: an info header of `headerSize` bytes
// (12 = the old core header), `colours` RGBQUAD records, then pixel rows.
struct BitmapLayout {
    std::uint32_t headerSize = 40;
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::uint16_t bitCount = 8;
    std::uint32_t colorsUsed = 0;
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> colours;  // 0xFFRRGGBB: the high byte is the reserved byte
    std::vector<std::uint8_t> pixels;    // raw row bytes, bottom-up, padded by the caller
};

inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

inline void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

// The bytes as a resource holds them: from the info header on.
inline std::vector<std::uint8_t> ResourceBytes(const BitmapLayout& s) {
    std::vector<std::uint8_t> out;
    Put32(out, s.headerSize);
    if (s.headerSize == 12) {
        Put16(out, static_cast<std::uint16_t>(s.width));
        Put16(out, static_cast<std::uint16_t>(s.height));
        Put16(out, 1);
        Put16(out, s.bitCount);
    } else {
        Put32(out, static_cast<std::uint32_t>(s.width));
        Put32(out, static_cast<std::uint32_t>(s.height));
        Put16(out, 1);
        Put16(out, s.bitCount);
        Put32(out, s.compression);
        Put32(out, static_cast<std::uint32_t>(s.pixels.size()));
        Put32(out, 0);
        Put32(out, 0);
        Put32(out, s.colorsUsed);
        Put32(out, 0);
        out.resize(s.headerSize, 0);
    }
    for (std::uint32_t c : s.colours) {
        if (s.headerSize == 12) {
            out.push_back(static_cast<std::uint8_t>(c));
            out.push_back(static_cast<std::uint8_t>(c >> 8));
            out.push_back(static_cast<std::uint8_t>(c >> 16));
        } else {
            Put32(out, c);
        }
    }
    out.insert(out.end(), s.pixels.begin(), s.pixels.end());
    return out;
}

// The file form: a 14-byte file header in front.
inline std::vector<std::uint8_t> FileBytes(const BitmapLayout& s) {
    const auto resource = ResourceBytes(s);
    const std::size_t table = s.colours.size() * (s.headerSize == 12 ? 3 : 4);
    std::vector<std::uint8_t> out = {'B', 'M'};
    Put32(out, static_cast<std::uint32_t>(14 + resource.size()));
    Put32(out, 0);
    Put32(out, static_cast<std::uint32_t>(14 + s.headerSize + table));
    out.insert(out.end(), resource.begin(), resource.end());
    return out;
}

// A file in the test's temporary folder, removed with the object.
class TempFile {
  public:
    TempFile(const std::string& name, const std::vector<std::uint8_t>& bytes)
        : path_(std::string(::testing::TempDir()) + name) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        if (f != nullptr) {
            if (!bytes.empty()) {
                std::fwrite(bytes.data(), 1, bytes.size(), f);
            }
            std::fclose(f);
        }
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace velmora::test
