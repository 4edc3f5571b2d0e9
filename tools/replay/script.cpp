#include "tools/replay/script.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace velmora::replay {

namespace {

using Kind = Directive::Kind;
constexpr std::uint64_t kU16 = 0xFFFF;
constexpr std::uint64_t kU32 = 0xFFFFFFFF;

// The operations a script may make fail.
constexpr std::array<platform::Operation, 13> kScriptableOperations = {
    platform::Operation::kDirectDrawCreate,
    platform::Operation::kSetCooperativeLevel,
    platform::Operation::kSetDisplayMode,
    platform::Operation::kCreateSurface,
    platform::Operation::kGetAttachedSurface,
    platform::Operation::kCreatePalette,
    platform::Operation::kSetPalette,
    platform::Operation::kLock,
    platform::Operation::kBltFast,
    platform::Operation::kFlip,
    platform::Operation::kRestore,
    platform::Operation::kCreateWindow,
    platform::Operation::kWriteFile,
};

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::vector<std::string_view> Tokens(std::string_view line) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            tokens.push_back(line.substr(start, i - start));
        }
    }
    return tokens;
}

struct KeyName {
    std::string_view name;
    std::uint64_t code;
};
constexpr std::array<KeyName, 9> kKeyNames = {{
    {"esc", 0x1B},
    {"f1", 0x70},
    {"f2", 0x71},
    {"f12", 0x7B},
    {"space", 0x20},
    {"up", 0x26},
    {"down", 0x28},
    {"left", 0x25},
    {"right", 0x27},
}};

std::optional<std::uint64_t> ParseKey(std::string_view token) {
    const std::string lower = Lower(token);
    for (const auto& key : kKeyNames) {
        if (key.name == lower) {
            return key.code;
        }
    }
    if (token.size() == 1) {
        const auto c = static_cast<unsigned char>(token[0]);
        if (std::isalnum(c) != 0) {
            return static_cast<std::uint64_t>(std::toupper(c));
        }
        return std::nullopt;
    }
    return ParseNumber(token, kU32);
}

// "Ctrl+Shift+Z": a key after any of the modifiers, each at most once,
// joined with '+'; the modifiers as kShift | kControl.
std::optional<std::uint64_t> ParseChord(std::string_view token, std::uint64_t& modifiers) {
    modifiers = 0;
    for (std::size_t plus = token.find('+');
         plus != std::string_view::npos && plus + 1 < token.size(); plus = token.find('+')) {
        const std::string part = Lower(token.substr(0, plus));
        const std::uint64_t bit = part == "ctrl" ? kControl : part == "shift" ? kShift : 0;
        if (bit == 0 || (modifiers & bit) != 0) {
            return std::nullopt;
        }
        modifiers |= bit;
        token.remove_prefix(plus + 1);
    }
    return ParseKey(token);
}

bool ValidDumpName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '_' || c == '-' || c == '.';
    });
}

// Parses one line's tokens into `d`; an error text, or empty on success.
std::string ParseDirective(const std::vector<std::string_view>& t, Directive& d) {
    const std::string name = Lower(t[0]);
    const std::size_t args = t.size() - 1;
    auto arity = [&](std::size_t least, std::size_t most) -> std::string {
        if (args < least) {
            return "'" + name + "' needs " + std::to_string(least) + " argument" +
                   (least == 1 ? "" : "s");
        }
        if (args > most) {
            return "too many arguments for '" + name + "'";
        }
        return {};
    };
    auto number = [&](std::size_t index, std::uint64_t max, const char* what,
                      std::uint64_t& out) -> std::string {
        const auto value = ParseNumber(t[index], max);
        if (!value) {
            return "bad " + std::string(what) + " '" + std::string(t[index]) + "' (0.." +
                   std::to_string(max) + ")";
        }
        out = *value;
        return {};
    };
    std::string error;
    if (name == "time") {
        d.kind = Kind::kTime;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        return number(1, kU32, "time", d.first);
    }
    if (name == "bitmap") {
        d.kind = Kind::kBitmap;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        d.text = std::string(t[1]);
        return {};
    }
    if (name == "move" || name == "lbutton") {
        d.kind = name == "move" ? Kind::kMove : Kind::kLButton;
        d.third = name == "move" ? 0 : 1;
        if (!(error = arity(2, 3)).empty()) {
            return error;
        }
        if (!(error = number(1, kU16, "x", d.first)).empty() ||
            !(error = number(2, kU16, "y", d.second)).empty()) {
            return error;
        }
        return args == 3 ? number(3, kU32, "key state", d.third) : std::string{};
    }
    if (name == "key") {
        d.kind = Kind::kKey;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        const auto code = ParseChord(t[1], d.second);
        if (!code) {
            return "unknown key '" + std::string(t[1]) + "'";
        }
        d.first = *code;
        return {};
    }
    if (name == "activate") {
        d.kind = Kind::kActivate;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        if (t[1] != "0" && t[1] != "1") {
            return "activate takes 0 or 1, not '" + std::string(t[1]) + "'";
        }
        d.first = t[1] == "1" ? 1 : 0;
        return {};
    }
    if (name == "close") {
        d.kind = Kind::kClose;
        return arity(0, 0);
    }
    if (name == "idle") {
        d.kind = Kind::kIdle;
        d.first = 1;
        if (!(error = arity(0, 1)).empty()) {
            return error;
        }
        return args == 1 ? number(1, kU32, "count", d.first) : std::string{};
    }
    if (name == "wait") {
        d.kind = Kind::kWait;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        return number(1, kU32, "milliseconds", d.first);
    }
    if (name == "lose") {
        d.kind = Kind::kLose;
        return arity(0, 0);
    }
    if (name == "fail") {
        d.kind = Kind::kFail;
        d.first = 1;
        if (!(error = arity(1, 3)).empty()) {
            return error;
        }
        const std::string wanted = Lower(t[1]);
        for (const auto op : kScriptableOperations) {
            if (Lower(platform::OperationName(op)) == wanted) {
                d.operation = op;
            }
        }
        if (d.operation == platform::Operation::kCount) {
            return "unknown operation '" + std::string(t[1]) + "'";
        }
        if (args >= 2 && !(error = number(2, kU32, "count", d.first)).empty()) {
            return error;
        }
        return args >= 3 ? number(3, kU32, "after", d.second) : std::string{};
    }
    if (name == "drop") {
        d.kind = Kind::kDrop;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        d.text = std::string(t[1]);
        return {};
    }
    if (name == "dump") {
        d.kind = Kind::kDump;
        if (!(error = arity(1, 1)).empty()) {
            return error;
        }
        if (!ValidDumpName(t[1])) {
            return "bad dump name '" + std::string(t[1]) +
                   "' (letters, digits, '.', '_' and '-' only)";
        }
        d.text = std::string(t[1]);
        return {};
    }
    return "unknown directive '" + std::string(t[0]) + "'";
}

bool ShapesStartUp(Kind kind) {
    return kind == Kind::kTime || kind == Kind::kBitmap || kind == Kind::kFail;
}

}  // namespace

std::optional<std::uint64_t> ParseNumber(std::string_view token, std::uint64_t max) {
    int base = 10;
    if (token.size() > 2 && token[0] == '0' && (token[1] == 'x' || token[1] == 'X')) {
        base = 16;
        token.remove_prefix(2);
    }
    if (token.empty() || token.size() > 20) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char c : token) {
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        if (static_cast<std::uint64_t>(digit) > max ||
            value > (max - static_cast<std::uint64_t>(digit)) / static_cast<std::uint64_t>(base)) {
            return std::nullopt;
        }
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return value;
}

ParseResult ParseScript(std::string_view text) {
    ParseResult result;
    Script script;
    bool started = false;
    int lineNumber = 0;
    std::size_t position = 0;
    while (position <= text.size()) {
        const std::size_t end = std::min(text.find('\n', position), text.size());
        std::string_view line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        if (const auto hash = line.find('#'); hash != std::string_view::npos) {
            line = line.substr(0, hash);
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.find('\0') != std::string_view::npos) {
            result.error = {lineNumber, "NUL byte in line"};
            return result;
        }
        const auto tokens = Tokens(line);
        if (tokens.empty()) {
            if (end == text.size()) {
                break;
            }
            continue;
        }
        Directive d;
        d.line = lineNumber;
        const std::string error = ParseDirective(tokens, d);
        if (!error.empty()) {
            result.error = {lineNumber, error};
            return result;
        }
        if (!ShapesStartUp(d.kind)) {
            if (!started) {
                script.startIndex = script.directives.size();
            }
            started = true;
        } else if (started && d.kind != Kind::kFail) {
            // Built by appending: GCC 12 misreports a restrict overlap in the
            // equivalent chain of operator+ at -O3.
            std::string message(1, '\'');
            message += Lower(tokens[0]);
            message += "' must come before the first event directive";
            result.error = {lineNumber, message};
            return result;
        }
        script.directives.push_back(std::move(d));
        if (end == text.size()) {
            break;
        }
    }
    if (!started) {
        script.startIndex = script.directives.size();
    }
    result.script = std::move(script);
    return result;
}

}  // namespace velmora::replay
