#pragma once

// The scripted back end of the window-system layer: input comes from a
// driver function asked whenever the program looks for a message and none is
// queued; the clocks are virtual; message boxes are recorded and close at once.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window/queued.h"

namespace velmora::platform {

class HeadlessWindowSystem : public QueuedWindowSystem {
  public:
    // What the driver did when asked for input.
    enum class Feed {
        kQueued,  // one or more messages are queued now
        kIdle,    // one pass of the loop with no message waiting
        kEnd,     // no more input: the run ends
    };
    using Driver = std::function<Feed(HeadlessWindowSystem&)>;

    explicit HeadlessWindowSystem(FaultInjector& faults) : QueuedWindowSystem(faults) {}

    void SetDriver(Driver driver) { driver_ = std::move(driver); }
    void SetCalendarSeconds(std::uint32_t seconds) { calendarSeconds_ = seconds; }
    void AdvanceClock(std::uint64_t milliseconds) { clock_ += milliseconds; }
    std::uint64_t Clock() const { return clock_; }

    // Input as the windowing layer would deliver it, to the program's window,
    // with the modifier keys (kShiftHeld, kControlHeld) held then.
    void Post(UINT message, WPARAM wParam, LPARAM lParam, std::uint8_t modifiers = 0);
    // A file dropped on the program's window.
    void Drop(const std::string& path);

    const std::vector<std::string>& Boxes() const { return boxes_; }
    void OnBox(std::function<void(const std::string&)> observer) { onBox_ = std::move(observer); }
    // Called before a window is destroyed, while its display is still up.
    void OnDestroying(std::function<void()> observer) { onDestroying_ = std::move(observer); }
    bool Ended() const { return ended_; }

    std::uint32_t CalendarSeconds() override { return calendarSeconds_; }
    // The script's calendar time moved on by the virtual clock, in UTC, so
    // that a script always names its files the same.
    std::string TimeStamp() override;

    // The view shown in place of the screen (nullptr: the screen), so that
    // the player can write what a person would see.
    bool ShowView(const std::uint32_t* view) override {
        view_ = view;
        return true;
    }
    const std::uint32_t* View() const { return view_; }

  protected:
    bool Pump(bool wait) override;
    void ShowBox(HWND owner, const std::string& text, const std::string& caption) override;
    void ShowPointer(bool /*visible*/) override {}
    void WindowDestroying(HWND window) override;
    std::int64_t MillisecondsNow() override { return static_cast<std::int64_t>(clock_); }

  private:
    Driver driver_;
    std::uint32_t calendarSeconds_ = 0;
    std::uint64_t clock_ = 0;
    std::vector<std::string> boxes_;
    std::function<void(const std::string&)> onBox_;
    std::function<void()> onDestroying_;
    bool ended_ = false;
    const std::uint32_t* view_ = nullptr;
};

}  // namespace velmora::platform
