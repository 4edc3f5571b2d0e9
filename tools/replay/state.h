#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/program.h"

namespace velmora::replay {

// What the state files show of a run at one moment.
struct Snapshot {
    bool hasDisplay = false;
    std::vector<std::uint8_t> front;  // 640x480, no pitch padding
    std::vector<std::uint8_t> back;
    std::vector<std::uint8_t> depth;
    std::array<platform::PALETTEENTRY, 256> palette{};
    int attachedSlot = -1;
    std::vector<std::uint32_t> view;        // the depth view while it is shown
    std::optional<files::BrushSpot> brush;  // where the brush rests
};

struct RunState {
    std::uint64_t clock = 0;
    std::vector<std::string> messages;
    bool running = true;
    std::optional<int> exitCode;
};

Snapshot Capture(const app::Program& program);

std::string StateJson(const app::Program& program, const Snapshot& snapshot, const RunState& run);

// Writes NAME.front/.back/.depth/.palette/.png/.json into `directory` (the
// buffer files and PNG only when there is a display). An error text, or
// empty on success.
std::string WriteStateFiles(const std::string& directory, const std::string& name,
                            const app::Program& program, const Snapshot& snapshot,
                            const RunState& run);

}  // namespace velmora::replay
