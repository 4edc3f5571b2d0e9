#pragma once

// The painter's history: each step (a stroke, or a map opened) kept as the
// stretches of rows it changed, before and after, so that it can be taken
// back and put again. Memory is capped: the oldest steps go first.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

namespace velmora::app {

// One changed stretch of a row: the depths there before and after the step.
struct HistorySpan {
    int row = 0;
    int column = 0;
    std::vector<std::int8_t> before;
    std::vector<std::int8_t> after;
};

struct HistoryStep {
    std::vector<HistorySpan> spans;  // in row order, one per changed row
    std::size_t bytes = 0;           // what the step costs, its bookkeeping included
};

class History {
  public:
    static constexpr std::size_t kDefaultByteLimit = std::size_t{64} << 20;

    explicit History(std::size_t byteLimit = kDefaultByteLimit) : limit_(byteLimit) {}

    // Records the change between two whole 640x480 maps as a step, which
    // drops every step that could have been put again; nothing when the maps
    // are equal. The new step, or nullptr.
    const HistoryStep* Record(const std::int8_t* before, const std::int8_t* after);
    // The step to take back (write its `before`s) or to put again (its
    // `after`s), or nullptr when there is none.
    const HistoryStep* Undo();
    const HistoryStep* Redo();

    std::size_t UndoSteps() const { return done_; }
    std::size_t RedoSteps() const { return steps_.size() - done_; }
    std::size_t Bytes() const { return bytes_; }

  private:
    std::deque<HistoryStep> steps_;
    std::size_t done_ = 0;  // steps_[0 .. done_) are in the map
    std::size_t bytes_ = 0;
    std::size_t limit_;
};

}  // namespace velmora::app
