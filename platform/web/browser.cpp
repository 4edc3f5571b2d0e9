#include "platform/web/browser.h"

#include <emscripten.h>

#include <algorithm>
#include <array>

#include "platform/present.h"

namespace velmora::platform::web {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

// The page's side of the back end lives in page.js, as Module.velmora*.

// The bodies are JavaScript, which the formatter would break.
// clang-format off
// Until the next frame the browser shows (mode 0), until input arrives
// (1), or until input or half a second (2), letting the page run: input
// lands in the queue meanwhile.
EM_ASYNC_JS(void, WaitInBrowser, (int mode),
            { await new Promise((resolve) => Module.velmoraWait(resolve, mode)); });

// The box in the page until its OK.
EM_ASYNC_JS(void, BoxInBrowser, (const char* caption, const char* text),
            { await Module.velmoraBox(UTF8ToString(caption), UTF8ToString(text)); });

EM_JS(void, PresentInBrowser, (const std::uint8_t* rgba, int size),
      { Module.velmoraPresent(HEAPU8.subarray(rgba, rgba + size)); });

EM_JS(void, PointerInBrowser, (int visible), { Module.velmoraPointer(visible !== 0); });

EM_JS(int, DownloadInBrowser, (const char* name, const std::uint8_t* bytes, int size), {
    return Module.velmoraDownload(UTF8ToString(name), HEAPU8.slice(bytes, bytes + size)) ? 1 : 0;
});

EM_JS(double, CalendarInBrowser, (), { return Date.now() / 1000; });

// "YYYYMMDD-HHMMSS" in the browser's local time.
EM_JS(void, StampInBrowser, (char* out, int size), {
    const now = new Date();
    const two = (n) => String(n).padStart(2, "0");
    const stamp = String(now.getFullYear()) + two(now.getMonth() + 1) + two(now.getDate()) + "-" +
                  two(now.getHours()) + two(now.getMinutes()) + two(now.getSeconds());
    stringToUTF8(stamp, out, size);
});

EM_JS(void, RemoveFromBrowser, (const char* path), {
    try {
        FS.unlink(UTF8ToString(path));
    } catch (e) {
    }
});

// clang-format on

}  // namespace

void BrowserWindowSystem::Pointer(UINT message, WPARAM keyState, LPARAM position) {
    ++inputs_;
    const HWND window = MainWindow();
    if (window != 0) {
        Enqueue(MSG{window, message, keyState, position});
    }
}

void BrowserWindowSystem::Key(WPARAM virtualKey, bool shift, bool control) {
    ++inputs_;
    const HWND window = MainWindow();
    if (window != 0) {
        Enqueue(MSG{window, WM_KEYDOWN, virtualKey, 0},
                static_cast<std::uint8_t>((shift ? kShiftHeld : 0) | (control ? kControlHeld : 0)));
    }
}

void BrowserWindowSystem::Activate(bool active) {
    ++inputs_;
    const HWND window = MainWindow();
    if (window != 0) {
        Enqueue(MSG{window, WM_ACTIVATEAPP, active ? WPARAM{1} : WPARAM{0}, 0});
    }
}

void BrowserWindowSystem::Drop(const std::string& path) {
    ++inputs_;
    EnqueueDrop({path});
}

void BrowserWindowSystem::DragFinish(HDROP drop) {
    // The dropped file was put in the page's file system for the program to
    // read; it goes once the program has let the drop go.
    std::array<char, 1024> path{};
    if (DragQueryFileA(drop, 0, path.data(), path.size()) > 0) {
        RemoveFromBrowser(path.data());
    }
    QueuedWindowSystem::DragFinish(drop);
}

std::uint32_t BrowserWindowSystem::CalendarSeconds() {
    return static_cast<std::uint32_t>(CalendarInBrowser());
}

std::string BrowserWindowSystem::TimeStamp() {
    std::array<char, 32> stamp{};
    StampInBrowser(stamp.data(), static_cast<int>(stamp.size()));
    return stamp.data();
}

bool BrowserWindowSystem::ShowView(const std::uint32_t* view) {
    view_ = view;
    ++viewGeneration_;
    return true;
}

std::int64_t BrowserWindowSystem::MillisecondsNow() {
    return static_cast<std::int64_t>(emscripten_get_now());
}

void BrowserWindowSystem::WindowShown(HWND /*window*/) {
    shown_ = true;
}

void BrowserWindowSystem::ShowPointer(bool visible) {
    PointerInBrowser(visible ? 1 : 0);
}

// Each pass hands the page one frame (or, waiting, until input comes): the
// input that arrived meanwhile is queued, and a changed screen is shown once
// per frame, never while input waits to be handled first.
//
// At rest (an idle pass that changed nothing on screen, and no input since
// the last pass) the next frame would bring nothing either: the wait is for
// input then, or half a second, so a still page costs next to nothing.
bool BrowserWindowSystem::Pump(bool wait) {
    while (true) {
        if (QueuedMessages() != 0) {
            return true;
        }
        const std::uint64_t generation = device_.ScreenGeneration() + viewGeneration_;
        const bool still = generation == restingGeneration_ && inputs_ == restingInputs_;
        restingGeneration_ = generation;
        restingInputs_ = inputs_;
        WaitInBrowser(wait ? 1 : still ? 2 : 0);
        if (QueuedMessages() != 0) {
            return true;
        }
        PresentIfChanged();
        if (!wait) {
            return false;
        }
    }
}

void BrowserWindowSystem::ShowBox(HWND /*owner*/, const std::string& text,
                                  const std::string& caption) {
    PresentIfChanged();  // the picture behind the box is the latest
    BoxInBrowser(caption.c_str(), text.c_str());
    // Input that arrived while the box was up was meant for the box.
    DropInput();
}

void BrowserWindowSystem::PresentIfChanged() {
    const MemorySurface* primary = device_.Primary();
    const std::uint64_t generation = device_.ScreenGeneration() + viewGeneration_;
    if (!shown_ || generation == shownGeneration_ ||
        (view_ == nullptr && primary != nullptr && primary->Locked())) {
        return;
    }
    auto* out = reinterpret_cast<std::uint32_t*>(rgba_.data());
    // Canvas pixels are R, G, B, A bytes: 0xAABBGGRR read little-endian.
    const auto toCanvas = [](std::uint32_t argb) {
        return 0xFF000000U | (argb & 0xFF00U) | (argb >> 16 & 0xFFU) | (argb & 0xFFU) << 16;
    };
    if (view_ != nullptr) {
        std::transform(view_, view_ + kWidth * kHeight, out, toCanvas);
    } else if (primary != nullptr && primary->Pixels() != nullptr && primary->Width() == kWidth &&
               primary->Height() == kHeight) {
        ColourLookup lookup{};
        BuildLookup(device_.ScreenPalette(), lookup);
        std::transform(lookup.begin(), lookup.end(), lookup.begin(), toCanvas);
        ColourFrame(primary->Pixels(), primary->Pitch(), lookup, out, kWidth * 4);
    } else {
        std::fill_n(out, kWidth * kHeight, 0xFF000000U);
    }
    PresentInBrowser(rgba_.data(), static_cast<int>(rgba_.size()));
    shownGeneration_ = generation;
}

bool BrowserKernel::FileExists(const std::string& /*path*/) {
    return false;
}

std::string BrowserKernel::WriteNewFile(const std::string& path,
                                        const std::vector<std::uint8_t>& bytes) {
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (DownloadInBrowser(name.c_str(), bytes.data(), static_cast<int>(bytes.size())) == 0) {
        return "the browser refused the download of '" + name + "'";
    }
    return {};
}

}  // namespace velmora::platform::web
