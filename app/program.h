#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/history.h"
#include "display/display.h"
#include "files/depth_png.h"
#include "platform/ddraw/ddraw.h"
#include "platform/window/kernel.h"
#include "platform/window/window_system.h"
#include "stereo/scene.h"
#include "stereo/stroke.h"

namespace velmora::app {

// The run-time settings and counters.
struct Settings {
    std::int32_t drawingDepth = 5;
    std::int32_t bidirectionalMode = 0;
    std::int32_t flickerMode = 0;
    std::int32_t appActive = 0;
    std::uint32_t frameCount = 0;
    std::int32_t statsStartTime = 0;
};

// The platform a run talks to.
struct Platform {
    platform::WindowSystem& windows;
    platform::Kernel& kernel;
    platform::DisplayDriver& device;
};

// Where the work is kept and how it is seen: the save folder, a depth map
// to start from, and the depth view.
struct Workbench {
    std::string saveFolder = ".";
    std::vector<std::int8_t> openedDepth;  // 640x480, or empty to start as always
    std::optional<files::BrushSpot> openedBrush;
    std::vector<std::uint32_t> view;  // the depth view's pixels while shown
    bool viewShown = false;
    History history;
    bool strokeHeld = false;             // a button was held at the last mouse message
    std::vector<std::int8_t> stepStart;  // what was painted when the step began
    std::vector<std::int8_t> paintNow;   // and at its end
    std::vector<bool> staleRows;         // rows whose picture lags the depth map
};

// Everything the program holds for one run.
struct Program {
    explicit Program(Platform p) : platform(p) {}

    Platform platform;
    Settings settings;
    display::DisplayContext display;
    stereo::Scene scene;
    Workbench work;
};

inline constexpr const char* kCaption = "Velmora";
inline constexpr const char* kInitFailedText = "DirectDraw Init FAILED";
inline constexpr const char* kCommandListText =
    "Command list:\n\n F:    Flicker toggle\n B:    Bi-directional toggle\n S:    Speed (frame "
    "rate)\n UP:   Increase drawing depth\n DOWN: Decrease drawing depth\n Esc:  Exit";

// The entry: start-up, then the message loop. Returns the quit message's
// code, or 1 when start-up failed.
int RunProgram(Program& program, int showCode);

// Registers the class, creates and shows the window, sets up the display.
bool InitApplication(Program& program, int showCode, platform::HWND& window);

// The single failure path of start-up: release, tell the user, destroy.
int FailInitialisation(Program& program, platform::HWND window);

platform::LRESULT WindowProc(Program& program, platform::HWND window, platform::UINT message,
                             platform::WPARAM wParam, platform::LPARAM lParam);

// Moves the brush, redraws its rows and presents the frame.
void StrokeUpdate(Program& program, platform::WPARAM keyState, platform::LPARAM position);

void HandleKey(Program& program, platform::HWND window, platform::WPARAM virtualKey);

// "Time: %.1fs\nFrames: %d\nAverage FPS: %.1f", with a point as the decimal
// separator whatever the locale.
std::string StatisticsText(std::int32_t elapsedMilliseconds, std::uint32_t frameCount);

}  // namespace velmora::app
