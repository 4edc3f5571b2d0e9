#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/faults.h"

namespace velmora::replay {

struct Directive {
    enum class Kind {
        kTime,
        kBitmap,
        kFail,
        kMove,
        kLButton,
        kKey,
        kActivate,
        kClose,
        kIdle,
        kWait,
        kLose,
        kDump,
        kDrop,
    };
    Kind kind = Kind::kIdle;
    int line = 0;
    // Numbers in the order the directive takes them: x, y, key state; a key
    // code and its modifiers (kShift | kControl); a count; milliseconds;
    // seconds; fail's count and after.
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    std::uint64_t third = 0;
    std::string text;  // bitmap path, dump name, dropped file
    platform::Operation operation = platform::Operation::kCount;
};

// The modifiers a key directive names.
constexpr std::uint64_t kShift = 1;
constexpr std::uint64_t kControl = 2;

struct Script {
    std::vector<Directive> directives;
    // Index of the first directive that starts the program (not time,
    // bitmap or fail); directives.size() when there is none.
    std::size_t startIndex = 0;
};

struct ScriptError {
    int line = 0;
    std::string message;
};

// Parses a whole script; nothing is run until every line has been checked.
struct ParseResult {
    std::optional<Script> script;
    ScriptError error;
};
ParseResult ParseScript(std::string_view text);

// A number in decimal or 0x hexadecimal; nothing when it is not one or
// exceeds `max`.
std::optional<std::uint64_t> ParseNumber(std::string_view token, std::uint64_t max);

}  // namespace velmora::replay
