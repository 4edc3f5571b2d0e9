// The page's program: the painter on the browser back end. page.js starts it
// (with --open NAME when the address asks for a map) and feeds it the page's
// input through the functions below.

#include <emscripten.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/program.h"
#include "platform/ddraw/memory.h"
#include "platform/web/browser.h"
#include "platform/web/input.h"
#include "resources/embedded.h"

namespace {

using namespace velmora;

platform::web::BrowserWindowSystem* page = nullptr;
app::Program* program = nullptr;

// The body is JavaScript, which the formatter would break.
// clang-format off
EM_JS(void, EndedInBrowser, (int status), { Module.velmoraEnded(status); });
// clang-format on

}  // namespace

extern "C" {

// A pointer event over the canvas: its CSS position and the canvas's CSS size.
EMSCRIPTEN_KEEPALIVE void velmora_pointer(double x, double y, double width, double height,
                                          int buttons, int shift, int control, int leftPressed) {
    if (page != nullptr) {
        page->Pointer(leftPressed != 0 ? platform::WM_LBUTTONDOWN : platform::WM_MOUSEMOVE,
                      platform::web::MouseKeyState(buttons, shift != 0, control != 0),
                      platform::web::PicturePoint(x, y, width, height));
    }
}

// A key going down, by KeyboardEvent.code: 1 when it is one of the
// program's keys (the page then keeps the browser from acting on it).
EMSCRIPTEN_KEEPALIVE int velmora_key(const char* code, int shift, int control) {
    const platform::WPARAM key = platform::web::VirtualKeyForCode(code);
    if (page == nullptr || key == 0) {
        return 0;
    }
    page->Key(key, shift != 0, control != 0);
    return 1;
}

// A sent key from the tool bar.
EMSCRIPTEN_KEEPALIVE void velmora_virtual_key(int key) {
    if (page != nullptr) {
        page->Key(static_cast<platform::WPARAM>(key), false, false);
    }
}

EMSCRIPTEN_KEEPALIVE void velmora_activate(int active) {
    if (page != nullptr) {
        page->Activate(active != 0);
    }
}

// A file the page put in its file system (dropped, or chosen to open).
EMSCRIPTEN_KEEPALIVE void velmora_drop(const char* path) {
    if (page != nullptr) {
        page->Drop(path);
    }
}

EMSCRIPTEN_KEEPALIVE int velmora_drawing_depth() {
    return program != nullptr ? program->settings.drawingDepth : 0;
}

}  // extern "C"

namespace {

int Run(int argc, char** argv) {
    const app::Options options =
        app::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), false);
    files::DecodedDepth opened;
    if (const auto status = app::PrepareRun(options, false, opened, std::cout, std::cerr)) {
        EndedInBrowser(*status);
        return *status;
    }
    platform::FaultInjector faults;
    std::vector<platform::Resource> resources;
    resources.push_back({"ALL", platform::RT_BITMAP, resources::AllBitmap()});
    platform::web::BrowserKernel kernel(faults, std::move(resources));
    platform::DisplayDevice device(faults);
    platform::web::BrowserWindowSystem windows(faults, device);
    app::Program painter(app::Platform{windows, kernel, device});
    app::TakeOptions(painter, options, "", std::move(opened));
    page = &windows;
    program = &painter;
    const int status = app::RunProgram(painter, platform::SW_SHOWDEFAULT);
    page = nullptr;
    program = nullptr;
    EndedInBrowser(status);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& error) {
        // Out of memory, most likely: the page says the program has ended.
        std::fprintf(stderr, "velmora: %s\n", error.what());
        EndedInBrowser(1);
        return 1;
    }
}
