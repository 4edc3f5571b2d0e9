#include "tools/replay/state.h"

#include "files/depth_png.h"
#include "platform/ddraw/memory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace velmora::replay {

namespace {

using platform::InMemory;
using platform::MemorySurface;

std::vector<std::uint8_t> Rows(const MemorySurface* surface) {
    std::vector<std::uint8_t> out(640U * 480U, 0);
    if (surface == nullptr || surface->Pixels() == nullptr) {
        return out;
    }
    for (int y = 0; y < 480; ++y) {
        std::memcpy(out.data() + static_cast<std::size_t>(y) * 640,
                    surface->Pixels() + y * surface->Pitch(), 640);
    }
    return out;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return "cannot write '" + path + "': " + std::strerror(errno);
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        return "cannot write '" + path + "'";
    }
    return {};
}

// What a person would see: the front buffer through the palette.
std::vector<std::uint8_t> EncodePicture(const Snapshot& snapshot, std::string& error) {
    std::array<files::Rgb, 256> palette;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        palette[i] = {snapshot.palette[i].peRed, snapshot.palette[i].peGreen,
                      snapshot.palette[i].peBlue};
    }
    return files::EncodePicturePng(snapshot.front.data(), palette, error);
}

}  // namespace

Snapshot Capture(const app::Program& program) {
    Snapshot snapshot;
    const auto& d = program.display;
    if (program.scene.depth.Allocated()) {
        const auto* depth = reinterpret_cast<const std::uint8_t*>(program.scene.depth.Data());
        snapshot.depth.assign(depth, depth + stereo::DepthMap::kSize);
    }
    if (InMemory(d.primarySurface) == nullptr || !InMemory(d.primarySurface)->Alive()) {
        return snapshot;
    }
    snapshot.hasDisplay = true;
    snapshot.front = Rows(InMemory(d.primarySurface));
    snapshot.back = Rows(InMemory(d.backBuffer));
    if (snapshot.depth.empty()) {
        snapshot.depth.assign(stereo::DepthMap::kSize, 0);
    }
    if (const auto* palette = InMemory(d.primarySurface)->AttachedPalette(); palette != nullptr) {
        snapshot.palette = palette->Entries();
        snapshot.attachedSlot = display::FlickerSlotOf(d.flickerPalettes, palette);
    }
    if (program.work.viewShown) {
        snapshot.view = program.work.view;
    }
    if (program.scene.stamp.made) {
        snapshot.brush = files::BrushSpot{program.scene.stamp.x, program.scene.stamp.y};
    }
    return snapshot;
}

std::string StateJson(const app::Program& program, const Snapshot& snapshot, const RunState& run) {
    const app::Settings& s = program.settings;
    const stereo::BrushCursor& c = program.scene.cursor;
    std::string json = "{\n";
    auto member = [&json](const char* name, const std::string& value, bool last = false) {
        json += "  \"";
        json += name;
        json += "\": ";
        json += value;
        json += last ? "\n" : ",\n";
    };
    member("DrawingDepth", std::to_string(s.drawingDepth));
    member("BidirectionalMode", std::to_string(s.bidirectionalMode));
    member("FlickerMode", std::to_string(s.flickerMode));
    member("AppActive", std::to_string(s.appActive));
    member("FrameCount", std::to_string(s.frameCount));
    member("StatsStartTime", std::to_string(s.statsStartTime));
    member("PaletteCursor", std::to_string(program.display.flickerPalettes.cursor));
    member("Clock", std::to_string(run.clock));
    member("BrushCursor", "{\"x\": " + std::to_string(c.x) + ", \"y\": " + std::to_string(c.y) +
                              ", \"previousX\": " + std::to_string(c.previousX) +
                              ", \"previousY\": " + std::to_string(c.previousY) + "}");
    member("History", "{\"undo\": " + std::to_string(program.work.history.UndoSteps()) +
                          ", \"redo\": " + std::to_string(program.work.history.RedoSteps()) + "}");
    member("AttachedPaletteSlot",
           snapshot.attachedSlot >= 0 ? std::to_string(snapshot.attachedSlot) : "null");
    std::string messages = "[";
    for (std::size_t i = 0; i < run.messages.size(); ++i) {
        messages += (i == 0 ? "" : ", ") + JsonString(run.messages[i]);
    }
    member("Messages", messages + "]");
    member("Running", run.running ? "true" : "false");
    member("ExitCode", run.exitCode ? std::to_string(*run.exitCode) : "null", true);
    return json + "}\n";
}

std::string WriteStateFiles(const std::string& directory, const std::string& name,
                            const app::Program& program, const Snapshot& snapshot,
                            const RunState& run) {
    const std::string base = directory + "/" + name;
    std::string error;
    if (snapshot.hasDisplay) {
        std::vector<std::uint8_t> palette(1024);
        std::memcpy(palette.data(), snapshot.palette.data(), palette.size());
        // What a person sees: the stereogram, or the depth view while shown.
        const auto png = snapshot.view.size() == stereo::DepthMap::kSize
                             ? files::EncodeViewPng(snapshot.view.data(), error)
                             : EncodePicture(snapshot, error);
        if (!error.empty()) {
            return error;
        }
        const auto depthPng = files::EncodeDepthPng(
            reinterpret_cast<const std::int8_t*>(snapshot.depth.data()), snapshot.brush, error);
        if (!error.empty()) {
            return error;
        }
        for (const auto& [suffix, bytes] :
             {std::pair<const char*, const std::vector<std::uint8_t>*>{".front", &snapshot.front},
              {".back", &snapshot.back},
              {".depth", &snapshot.depth},
              {".palette", &palette},
              {".png", &png},
              {"-depth.png", &depthPng}}) {
            if (!(error = WriteFile(base + suffix, *bytes)).empty()) {
                return error;
            }
        }
    }
    const std::string json = StateJson(program, snapshot, run);
    return WriteFile(base + ".json", std::vector<std::uint8_t>(json.begin(), json.end()));
}

}  // namespace velmora::replay
