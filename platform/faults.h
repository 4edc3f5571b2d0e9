#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace velmora::platform {

// Every platform operation that can be made to fail on purpose.
enum class Operation : std::uint8_t {
    kDirectDrawCreate,
    kSetCooperativeLevel,
    kSetDisplayMode,
    kCreateSurface,
    kGetAttachedSurface,
    kCreatePalette,
    kSetPalette,
    kLock,
    kUnlock,
    kBltFast,
    kFlip,
    kRestore,
    kGetSurfaceDesc,
    kGetDC,
    kGetEntries,
    kSetEntries,
    kCreateWindow,
    kLoadImage,
    kCreateCompatibleDC,
    kLockResource,
    kWriteFile,
    kCount,
};

std::string_view OperationName(Operation operation);
// Case-sensitive lookup of the names above without the leading k
// ("Lock", "CreateSurface"); nothing for an unknown name.
std::optional<Operation> OperationFromName(std::string_view name);

// Fault injection: an operation can be told to let `after` calls pass and
// then fail the next `count` calls. Arming an operation again replaces its
// earlier plan.
class FaultInjector {
  public:
    void Arm(Operation operation, std::uint32_t count, std::uint32_t after = 0);
    void Clear();

    // Called once at the start of every call of the operation; true means
    // this call must fail without changing anything.
    bool ShouldFail(Operation operation);

    // How many calls of the operation have been made so far.
    std::uint64_t Calls(Operation operation) const;

  private:
    struct Plan {
        std::uint32_t after = 0;
        std::uint32_t count = 0;
    };
    std::array<Plan, static_cast<std::size_t>(Operation::kCount)> plans_{};
    std::array<std::uint64_t, static_cast<std::size_t>(Operation::kCount)> calls_{};
};

}  // namespace velmora::platform
