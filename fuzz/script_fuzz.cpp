// Feeds arbitrary text to the headless player's script parser: it must
// either accept the script or name a line that exists, and never crash.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "tools/replay/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto result = velmora::replay::ParseScript(text);
    if (result.script) {
        const auto& script = *result.script;
        if (script.startIndex > script.directives.size()) {
            std::abort();
        }
    } else {
        const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        if (result.error.line < 1 || result.error.line > lines || result.error.message.empty()) {
            std::abort();
        }
    }
    return 0;
}
