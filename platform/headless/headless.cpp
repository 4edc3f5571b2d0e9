#include "platform/headless/headless.h"

#include "platform/files.h"

namespace velmora::platform {

std::string HeadlessWindowSystem::TimeStamp() {
    return UtcTimeStamp(static_cast<std::int64_t>(calendarSeconds_) +
                        static_cast<std::int64_t>(clock_ / 1000));
}

void HeadlessWindowSystem::Post(UINT message, WPARAM wParam, LPARAM lParam,
                                std::uint8_t modifiers) {
    const HWND window = MainWindow();
    if (window != 0) {
        Enqueue(MSG{window, message, wParam, lParam}, modifiers);
    }
}

void HeadlessWindowSystem::Drop(const std::string& path) {
    EnqueueDrop({path});
}

bool HeadlessWindowSystem::Pump(bool wait) {
    if (ended_) {
        return false;
    }
    while (true) {
        if (QueuedMessages() != 0) {
            return true;
        }
        const Feed feed = driver_ ? driver_(*this) : Feed::kEnd;
        if (feed == Feed::kEnd) {
            ended_ = true;
            // The loop ends as it would on a quit message.
            PostQuitMessage(0);
            return true;
        }
        // Without waiting, one idle answer is one loop pass with nothing
        // waiting; a waiting loop sleeps through idle passes.
        if (feed == Feed::kIdle && !wait) {
            return QueuedMessages() != 0;
        }
    }
}

void HeadlessWindowSystem::ShowBox(HWND /*owner*/, const std::string& text,
                                   const std::string& /*caption*/) {
    boxes_.push_back(text);
    if (onBox_) {
        onBox_(text);
    }
}

void HeadlessWindowSystem::WindowDestroying(HWND /*window*/) {
    if (onDestroying_) {
        onDestroying_();
    }
}

}  // namespace velmora::platform
