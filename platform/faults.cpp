#include "platform/faults.h"

namespace velmora::platform {

namespace {

constexpr std::array<std::string_view, static_cast<std::size_t>(Operation::kCount)> kNames = {
    "DirectDrawCreate",
    "SetCooperativeLevel",
    "SetDisplayMode",
    "CreateSurface",
    "GetAttachedSurface",
    "CreatePalette",
    "SetPalette",
    "Lock",
    "Unlock",
    "BltFast",
    "Flip",
    "Restore",
    "GetSurfaceDesc",
    "GetDC",
    "GetEntries",
    "SetEntries",
    "CreateWindow",
    "LoadImage",
    "CreateCompatibleDC",
    "LockResource",
    "WriteFile",
};

std::size_t Index(Operation operation) {
    return static_cast<std::size_t>(operation);
}

}  // namespace

std::string_view OperationName(Operation operation) {
    return kNames.at(Index(operation));
}

std::optional<Operation> OperationFromName(std::string_view name) {
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (kNames[i] == name) {
            return static_cast<Operation>(i);
        }
    }
    return std::nullopt;
}

void FaultInjector::Arm(Operation operation, std::uint32_t count, std::uint32_t after) {
    plans_.at(Index(operation)) = Plan{after, count};
}

void FaultInjector::Clear() {
    plans_ = {};
}

bool FaultInjector::ShouldFail(Operation operation) {
    const std::size_t i = Index(operation);
    ++calls_.at(i);
    Plan& plan = plans_.at(i);
    if (plan.after > 0) {
        --plan.after;
        return false;
    }
    if (plan.count > 0) {
        --plan.count;
        return true;
    }
    return false;
}

std::uint64_t FaultInjector::Calls(Operation operation) const {
    return calls_.at(Index(operation));
}

}  // namespace velmora::platform
