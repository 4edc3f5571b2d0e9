#pragma once

// The browser back end of the window-system layer and the kernel services:
// the in-memory screen shown in the page's canvas through its palette (or
// the program's view in its place), the page's input as messages, boxes as
// modal dialogs in the page, saved files as downloads. The program's loop
// stays as it is: waiting for input or for the next frame hands control to
// the browser (the frame callback), and a box waits for its OK the same way.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ddraw/memory.h"
#include "platform/window/memory_kernel.h"
#include "platform/window/queued.h"

namespace velmora::platform::web {

class BrowserWindowSystem : public QueuedWindowSystem {
  public:
    BrowserWindowSystem(FaultInjector& faults, const DisplayDevice& device)
        : QueuedWindowSystem(faults), device_(device) {}

    // Input from the page.
    void Pointer(UINT message, WPARAM keyState, LPARAM position);
    void Key(WPARAM virtualKey, bool shift, bool control);
    void Activate(bool active);
    void Drop(const std::string& path);

    std::uint32_t CalendarSeconds() override;
    std::string TimeStamp() override;
    bool ShowView(const std::uint32_t* view) override;
    void ViewChanged() override { ++viewGeneration_; }
    void DragFinish(HDROP drop) override;

  protected:
    bool Pump(bool wait) override;
    void ShowBox(HWND owner, const std::string& text, const std::string& caption) override;
    void ShowPointer(bool visible) override;
    void WindowShown(HWND window) override;
    std::int64_t MillisecondsNow() override;

  private:
    void PresentIfChanged();

    const DisplayDevice& device_;
    bool shown_ = false;
    const std::uint32_t* view_ = nullptr;
    std::uint64_t viewGeneration_ = 0;
    std::uint64_t shownGeneration_ = ~std::uint64_t{0};
    // For telling a page at rest: the screen and the input count at the
    // last wait.
    std::uint64_t restingGeneration_ = ~std::uint64_t{0};
    std::uint64_t inputs_ = 0;
    std::uint64_t restingInputs_ = 0;
    std::vector<std::uint8_t> rgba_ = std::vector<std::uint8_t>(640 * 480 * 4);
};

// The program's resources in memory; a file it writes is handed to the
// browser as a download under its name (where it goes, and what happens to
// a name already there, is the browser's business).
class BrowserKernel : public MemoryKernel {
  public:
    using MemoryKernel::MemoryKernel;
    bool FileExists(const std::string& path) override;
    std::string WriteNewFile(const std::string& path,
                             const std::vector<std::uint8_t>& bytes) override;
};

}  // namespace velmora::platform::web
