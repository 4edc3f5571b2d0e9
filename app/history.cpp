#include "app/history.h"

#include <algorithm>

#include "stereo/scene.h"

namespace velmora::app {

const HistoryStep* History::Record(const std::int8_t* before, const std::int8_t* after) {
    HistoryStep step;
    step.bytes = sizeof(HistoryStep);
    for (int y = 0; y < stereo::kScreenHeight; ++y) {
        const std::int8_t* was = before + static_cast<std::ptrdiff_t>(y) * stereo::kScreenWidth;
        const std::int8_t* is = after + static_cast<std::ptrdiff_t>(y) * stereo::kScreenWidth;
        const auto [first, unused] = std::mismatch(was, was + stereo::kScreenWidth, is);
        if (first == was + stereo::kScreenWidth) {
            continue;
        }
        int end = stereo::kScreenWidth;
        while (was[end - 1] == is[end - 1]) {
            --end;
        }
        const auto begin = static_cast<int>(first - was);
        step.spans.push_back({y, begin, {was + begin, was + end}, {is + begin, is + end}});
        step.bytes += sizeof(HistorySpan) + 2 * static_cast<std::size_t>(end - begin);
    }
    if (step.spans.empty()) {
        return nullptr;
    }
    while (steps_.size() > done_) {
        bytes_ -= steps_.back().bytes;
        steps_.pop_back();
    }
    bytes_ += step.bytes;
    steps_.push_back(std::move(step));
    ++done_;
    while (bytes_ > limit_ && !steps_.empty()) {
        bytes_ -= steps_.front().bytes;
        steps_.pop_front();
        --done_;
    }
    return steps_.empty() ? nullptr : &steps_.back();
}

const HistoryStep* History::Undo() {
    if (done_ == 0) {
        return nullptr;
    }
    return &steps_[--done_];
}

const HistoryStep* History::Redo() {
    if (done_ == steps_.size()) {
        return nullptr;
    }
    return &steps_[done_++];
}

}  // namespace velmora::app
