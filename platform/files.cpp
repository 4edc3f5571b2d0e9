#include "platform/files.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velmora::platform {

namespace {

namespace fs = std::filesystem;

std::string TwoDigits(int value) {
    return std::string(1, static_cast<char>('0' + value / 10)) +
           static_cast<char>('0' + value % 10);
}

std::string Format(int year, int month, int day, int hour, int minute, int second) {
    std::string text = std::to_string(year);
    while (text.size() < 4) {
        text.insert(text.begin(), '0');
    }
    return text + TwoDigits(month) + TwoDigits(day) + "-" + TwoDigits(hour) + TwoDigits(minute) +
           TwoDigits(second);
}

std::string SystemError(int code) {
    return std::strerror(code);
}

// Renames `from` to `to` unless `to` exists. True on success; else `error`
// says why (and `from` is left for the caller to remove).
bool RenameNoReplace(const std::string& from, const std::string& to, std::string& error) {
#ifdef _WIN32
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0) {
        return true;
    }
    const DWORD code = GetLastError();
    error = code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS
                ? "the name is taken"
                : "cannot rename (system error " + std::to_string(code) + ")";
    return false;
#else
    // A hard link fails when the name is taken, so no other writer's file is
    // replaced; the temporary name goes afterwards.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    const int code = errno;
    if (code == EEXIST) {
        error = "the name is taken";
        return false;
    }
    // File systems without hard links: check, then rename.
    std::error_code ignored;
    if (fs::exists(to, ignored)) {
        error = "the name is taken";
        return false;
    }
    if (std::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    error = SystemError(errno);
    return false;
#endif
}

}  // namespace

bool PathExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::path(path), ignored);
}

std::string WriteFileNoReplace(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    const fs::path target = fs::path(path);
    fs::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::error_code status;
    if (!fs::is_directory(folder, status)) {
        return "no folder '" + folder.string() + "'";
    }
    // A hidden name of its own beside the final one, so the rename stays
    // within one file system.
    std::random_device entropy;
    std::string name = ".";
    name += target.filename().string();
    name += ".";
    name += std::to_string(entropy() % 1000000U);
    name += ".part";
    const std::string temporary = (folder / fs::path(name)).string();
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return "cannot write in '" + folder.string() + "': " + SystemError(errno);
    }
    const bool written =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeError = errno;
    const bool flushed = std::fflush(file) == 0;
    const bool closed = std::fclose(file) == 0;
    if (!written || !flushed || !closed) {
        std::remove(temporary.c_str());
        return "cannot write '" + path + "': " + SystemError(writeError != 0 ? writeError : EIO);
    }
    std::string error;
    if (!RenameNoReplace(temporary, path, error)) {
        std::remove(temporary.c_str());
        return "cannot write '" + path + "': " + error;
    }
    return {};
}

std::string UtcTimeStamp(std::int64_t seconds) {
    using namespace std::chrono;
    const sys_seconds moment{std::chrono::seconds{seconds}};
    const sys_days day = floor<days>(moment);
    const year_month_day date{day};
    const hh_mm_ss time{moment - day};
    return Format(static_cast<int>(date.year()), static_cast<int>(unsigned{date.month()}),
                  static_cast<int>(unsigned{date.day()}), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
}

std::string LocalTimeStamp(std::int64_t seconds) {
    const auto moment = static_cast<std::time_t>(seconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &moment) != 0) {
        return UtcTimeStamp(seconds);
    }
#else
    if (localtime_r(&moment, &local) == nullptr) {
        return UtcTimeStamp(seconds);
    }
#endif
    return Format(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, local.tm_sec);
}

std::string DefaultSaveFolder() {
    std::error_code status;
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
    std::string homeFolder = home != nullptr ? home : "";
    const fs::path pictures = fs::path(homeFolder) / "Pictures";
#else
    const char* home = std::getenv("HOME");
    std::string homeFolder = home != nullptr ? home : "";
    // The XDG pictures folder: the environment, else user-dirs.dirs, else
    // the usual name.
    fs::path pictures;
    if (const char* named = std::getenv("XDG_PICTURES_DIR"); named != nullptr && *named != 0) {
        pictures = fs::path(named);
    } else {
        const char* config = std::getenv("XDG_CONFIG_HOME");
        const fs::path configFolder =
            config != nullptr && *config != 0 ? fs::path(config) : fs::path(homeFolder) / ".config";
        std::ifstream dirs(configFolder / "user-dirs.dirs");
        std::string line;
        const std::string key = "XDG_PICTURES_DIR=\"";
        while (std::getline(dirs, line)) {
            if (line.rfind(key, 0) != 0 || line.size() < key.size() + 1 || line.back() != '"') {
                continue;
            }
            std::string value = line.substr(key.size(), line.size() - key.size() - 1);
            if (value.rfind("$HOME", 0) == 0) {
                value.replace(0, 5, homeFolder);
            }
            pictures = fs::path(value);
        }
        if (pictures.empty()) {
            pictures = fs::path(homeFolder) / "Pictures";
        }
    }
#endif
    if (!homeFolder.empty() && fs::is_directory(pictures, status)) {
        return pictures.string();
    }
    if (!homeFolder.empty() && fs::is_directory(fs::path(homeFolder), status)) {
        return homeFolder;
    }
    return ".";
}

}  // namespace velmora::platform
