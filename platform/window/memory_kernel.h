#pragma once

// The kernel services in memory: the program's resources are byte spans
// handed in at construction, files are read through the C library, the
// debug output is recorded, and bitmaps are decoded by our image loader.

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/types.h"
#include "platform/window/kernel.h"

namespace velmora::platform {

constexpr HMODULE kProgramModule = 1;

struct Resource {
    std::string name;
    std::uint32_t type = 0;
    std::span<const std::uint8_t> bytes;
};

class MemoryKernel : public Kernel {
  public:
    MemoryKernel(FaultInjector& faults, std::vector<Resource> resources);
    ~MemoryKernel() override;
    MemoryKernel(const MemoryKernel&) = delete;
    MemoryKernel& operator=(const MemoryKernel&) = delete;

    // Only the program's own module exists: a null name gives it.
    HMODULE GetModuleHandleA(const char* name) const override;

    // Resource names compare without regard to case, as resource names do.
    HRSRC FindResourceA(HMODULE module, const char* name, std::uint32_t type) const override;
    DWORD SizeofResource(HMODULE module, HRSRC resource) const override;
    HGLOBAL LoadResource(HMODULE module, HRSRC resource) const override;
    const std::uint8_t* LockResource(HGLOBAL data) override;

    // Old-style file access. Files are opened for reading only.
    HFILE lopen(const char* path, int mode) override;
    UINT lread(HFILE file, void* buffer, UINT count) override;
    HFILE lclose(HFILE file) override;

    // Reads a whole file of at most `limit` bytes; nothing when it cannot be
    // opened, read, or is larger.
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const char* path, std::size_t limit);

    // Names a file by another path: opening `name` opens `path` instead.
    void MapFile(const std::string& name, const std::string& path);

    void OutputDebugStringA(const char* text) override;
    // Real files, written as the kernel layer promises.
    bool FileExists(const std::string& path) override;
    std::string WriteNewFile(const std::string& path,
                             const std::vector<std::uint8_t>& bytes) override;
    // Decodes with our image loader into `gdi`, which must be a MemoryGdi.
    HBITMAP LoadImageA(Gdi& gdi, HMODULE module, const char* name, UINT type, int width, int height,
                       UINT flags) override;
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
