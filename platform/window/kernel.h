#pragma once

// The kernel services the program uses: its own module and resources, plain
// file reads, and the debug output.

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/types.h"

namespace velmora::platform {

constexpr std::uint32_t RT_BITMAP = 2;
constexpr int OF_READ = 0;
constexpr HMODULE kProgramModule = 1;

struct Resource {
    std::string name;
    std::uint32_t type = 0;
    std::span<const std::uint8_t> bytes;
};

class Kernel {
  public:
    Kernel(FaultInjector& faults, std::vector<Resource> resources);
    ~Kernel();
    Kernel(const Kernel&) = delete;
    Kernel& operator=(const Kernel&) = delete;

    // Only the program's own module exists: a null name gives it.
    HMODULE GetModuleHandleA(const char* name) const;

    // Resource names compare without regard to case, as resource names do.
    HRSRC FindResourceA(HMODULE module, const char* name, std::uint32_t type) const;
    DWORD SizeofResource(HMODULE module, HRSRC resource) const;
    HGLOBAL LoadResource(HMODULE module, HRSRC resource) const;
    const std::uint8_t* LockResource(HGLOBAL data);

    // Old-style file access. Files are opened for reading only.
    HFILE lopen(const char* path, int mode);
    UINT lread(HFILE file, void* buffer, UINT count);
    HFILE lclose(HFILE file);

    // Reads a whole file of at most `limit` bytes; nothing when it cannot be
    // opened, read, or is larger.
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path, std::size_t limit);

    // Names a file by another path: opening `name` opens `path` instead.
    void MapFile(const std::string& name, const std::string& path);

    void OutputDebugStringA(const char* text);
    const std::vector<std::string>& DebugOutput() const { return debugOutput_; }
    void EchoDebugOutput(bool echo) { echoDebug_ = echo; }

    FaultInjector& Faults() { return faults_; }
    std::uint64_t FilesOpened() const { return filesOpened_; }
    std::size_t OpenFiles() const { return files_.size(); }

  private:
    std::string Resolve(const char* path) const;

    FaultInjector& faults_;
    std::vector<Resource> resources_;
    std::map<std::string, std::string> fileMap_;
    std::map<HFILE, std::FILE*> files_;
    HFILE nextFile_ = 3;
    std::uint64_t filesOpened_ = 0;
    std::vector<std::string> debugOutput_;
    bool echoDebug_ = false;
};

}  // namespace velmora::platform
