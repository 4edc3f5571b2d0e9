#pragma once

// Writing the user's files and naming the moment they were made: the few
// operating-system details behind the kernel layer's file writes and the
// window systems' time stamps.

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::platform {

bool PathExists(const std::string& path);

// Writes through a temporary name in the same folder and renames it to
// `path` only if nothing has that name (atomically where the system can), so
// a failed write leaves no partial file under the final name and nothing is
// ever overwritten. Empty on success, else one line saying what failed.
std::string WriteFileNoReplace(const std::string& path, const std::vector<std::uint8_t>& bytes);

// "YYYYMMDD-HHMMSS" of a calendar time in seconds: in UTC (reproducible
// runs), or in the local time zone (what the user's clock shows).
std::string UtcTimeStamp(std::int64_t seconds);
std::string LocalTimeStamp(std::int64_t seconds);

// Where saved pictures go when no folder is given: the user's pictures
// folder when it exists, else the home folder, else the current folder.
std::string DefaultSaveFolder();

}  // namespace velmora::platform
