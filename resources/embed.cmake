# Turns ALL.bmp into a C++ source holding the bitmap as a resource holds it:
# its bytes from the info header on (the 14-byte file header dropped).
file(READ "${INPUT}" hex HEX)
string(SUBSTRING "${hex}" 28 -1 hex)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ALL.bmp at build time.\n"
"#include \"resources/embedded.h\"\n\n"
"namespace velmora::resources {\n\n"
"namespace {\n"
"const unsigned char kAll[] = {${bytes}};\n"
"}  // namespace\n\n"
"std::span<const std::uint8_t> AllBitmap() { return {kAll, sizeof(kAll)}; }\n\n"
"}  // namespace velmora::resources\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
