#include "tools/replay/runner.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/headless/headless.h"
#include "platform/window/memory_kernel.h"
#include "resources/embedded.h"
#include "tools/replay/script.h"
#include "tools/replay/state.h"

namespace velmora::replay {

namespace {

using platform::HeadlessWindowSystem;
using Kind = Directive::Kind;

constexpr const char* kUsage =
    "usage: velmora-replay [--out DIR] [--open FILE] SCRIPT\n"
    "       velmora-replay --help | --version\n";

std::string BoxLine(const std::string& text) {
    std::string line = "Velmora: ";
    for (const char c : text) {
        if (c == '\n') {
            line += "\\n";
        } else {
            line += c;
        }
    }
    return line;
}

}  // namespace

int RunReplay(const std::string& scriptText, const std::string& scriptName,
              const std::string& outputDirectory, std::ostream& out, std::ostream& err,
              files::DecodedDepth opened) {
    const ParseResult parsed = ParseScript(scriptText);
    if (!parsed.script) {
        err << "velmora-replay: " << scriptName << ":" << parsed.error.line << ": "
            << parsed.error.message << "\n";
        return kExitBadScript;
    }
    const Script& script = *parsed.script;

    std::error_code made;
    std::filesystem::create_directories(outputDirectory, made);
    if (made) {
        err << "velmora-replay: cannot create '" << outputDirectory << "': " << made.message()
            << "\n";
        return kExitCannotWrite;
    }

    // Start-up is shaped by the directives before the first event.
    platform::FaultInjector faults;
    std::uint32_t seconds = 0;
    std::string bitmapPath;
    bool useFile = false;
    for (std::size_t i = 0; i < script.startIndex; ++i) {
        const Directive& d = script.directives[i];
        if (d.kind == Kind::kTime) {
            seconds = static_cast<std::uint32_t>(d.first);
        } else if (d.kind == Kind::kBitmap) {
            useFile = true;
            bitmapPath = d.text;
        } else if (d.kind == Kind::kFail) {
            faults.Arm(d.operation, static_cast<std::uint32_t>(d.first),
                       static_cast<std::uint32_t>(d.second));
        }
    }
    std::vector<platform::Resource> resources;
    if (!useFile) {
        resources.push_back({"ALL", platform::RT_BITMAP, resources::AllBitmap()});
    }
    platform::MemoryKernel kernel(faults, std::move(resources));
    if (useFile) {
        kernel.MapFile("ALL", bitmapPath);
    }
    platform::DisplayDevice device(faults);
    HeadlessWindowSystem windows(faults);
    windows.SetCalendarSeconds(seconds);
    app::Program program(app::Platform{windows, kernel, device});
    program.work.saveFolder = outputDirectory;
    program.work.openedDepth = std::move(opened.depth);
    program.work.openedBrush = opened.brush;

    RunState run;
    std::string writeError;
    std::optional<Snapshot> beforeRelease;
    windows.OnBox([&](const std::string& text) {
        run.messages.push_back(text);
        out << BoxLine(text) << "\n";
        out.flush();
    });
    windows.OnDestroying([&] { beforeRelease = Capture(program); });

    std::size_t next = script.startIndex;
    std::uint64_t idleLeft = 0;
    windows.SetDriver([&](HeadlessWindowSystem& w) {
        while (true) {
            if (idleLeft > 0) {
                --idleLeft;
                return HeadlessWindowSystem::Feed::kIdle;
            }
            if (next >= script.directives.size() || !writeError.empty()) {
                return HeadlessWindowSystem::Feed::kEnd;
            }
            const Directive& d = script.directives[next++];
            const auto position = static_cast<platform::LPARAM>(d.second << 16 | d.first);
            switch (d.kind) {
                case Kind::kMove:
                    w.Post(platform::WM_MOUSEMOVE, d.third, position);
                    return HeadlessWindowSystem::Feed::kQueued;
                case Kind::kLButton:
                    w.Post(platform::WM_LBUTTONDOWN, d.third, position);
                    return HeadlessWindowSystem::Feed::kQueued;
                case Kind::kKey:
                    w.Post(platform::WM_KEYDOWN, d.first, 0,
                           static_cast<std::uint8_t>(
                               ((d.second & kShift) != 0 ? w.kShiftHeld : 0) |
                               ((d.second & kControl) != 0 ? w.kControlHeld : 0)));
                    return HeadlessWindowSystem::Feed::kQueued;
                case Kind::kActivate:
                    w.Post(platform::WM_ACTIVATEAPP, d.first, 0);
                    return HeadlessWindowSystem::Feed::kQueued;
                case Kind::kClose:
                    w.Post(platform::WM_CLOSE, 0, 0);
                    return HeadlessWindowSystem::Feed::kQueued;
                case Kind::kIdle:
                    idleLeft = d.first;
                    break;
                case Kind::kWait:
                    w.AdvanceClock(d.first);
                    break;
                case Kind::kFail:
                    faults.Arm(d.operation, static_cast<std::uint32_t>(d.first),
                               static_cast<std::uint32_t>(d.second));
                    break;
                case Kind::kLose:
                    device.LoseSurfaces();
                    break;
                case Kind::kDrop:
                    w.Drop(d.text);
                    return HeadlessWindowSystem::Feed::kQueued;
                case Kind::kDump:
                    run.clock = w.Clock();
                    writeError =
                        WriteStateFiles(outputDirectory, d.text, program, Capture(program), run);
                    break;
                case Kind::kTime:
                case Kind::kBitmap:
                    break;
            }
        }
    });

    const int status = app::RunProgram(program, platform::SW_SHOWDEFAULT);
    if (!writeError.empty()) {
        err << "velmora-replay: " << writeError << "\n";
        return kExitCannotWrite;
    }
    run.clock = windows.Clock();
    const bool startUpFailed = status != 0;
    const bool quit = !startUpFailed && !windows.Ended();
    Snapshot final;
    if (startUpFailed) {
        run.running = false;
        run.exitCode = status;
    } else if (quit) {
        run.running = false;
        run.exitCode = status;
        final = beforeRelease ? *beforeRelease : Capture(program);
    } else {
        final = Capture(program);
    }
    writeError = WriteStateFiles(outputDirectory, "final", program, final, run);
    if (!writeError.empty()) {
        err << "velmora-replay: " << writeError << "\n";
        return kExitCannotWrite;
    }
    return startUpFailed ? kExitStartUpFailed : kExitOk;
}

int ReplayMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::string outputDirectory = ".";
    std::string openPath;
    std::string scriptPath;
    bool haveScript = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--version" || arg == "--help") {
            out << (arg == "--help" ? kUsage : "velmora-replay " VELMORA_VERSION "\n");
            return kExitOk;
        }
        if (arg == "--out" && i + 1 < argc) {
            outputDirectory = argv[++i];
        } else if (arg == "--open" && i + 1 < argc) {
            openPath = argv[++i];
        } else if (!haveScript && (arg == "-" || arg.rfind("--", 0) != 0)) {
            scriptPath = arg;
            haveScript = true;
        } else {
            err << kUsage;
            return kExitBadScript;
        }
    }
    if (!haveScript) {
        err << kUsage;
        return kExitBadScript;
    }
    // A map that cannot be opened stops the run before anything starts.
    files::DecodedDepth opened;
    if (!openPath.empty()) {
        opened = files::ReadDepthFile(openPath);
        if (!opened.error.empty()) {
            err << "velmora-replay: " << opened.error << "\n";
            return kExitBadScript;
        }
    }
    std::string text;
    if (scriptPath == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::error_code kind;
        std::ifstream file(scriptPath, std::ios::binary);
        if (!file || std::filesystem::is_directory(scriptPath, kind)) {
            err << "velmora-replay: " << scriptPath << ":0: cannot read the script\n";
            return kExitBadScript;
        }
        std::ostringstream content;
        content << file.rdbuf();
        if (file.bad()) {
            err << "velmora-replay: " << scriptPath << ":0: cannot read the script\n";
            return kExitBadScript;
        }
        text = content.str();
    }
    return RunReplay(text, scriptPath == "-" ? "<stdin>" : scriptPath, outputDirectory, out, err,
                     std::move(opened));
}

}  // namespace velmora::replay
