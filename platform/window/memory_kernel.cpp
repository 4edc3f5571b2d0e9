#include "platform/window/memory_kernel.h"

#include "platform/files.h"

#include "platform/ddraw/memory_gdi.h"
#include "platform/window/image.h"

#include <cctype>
#include <cstdio>

namespace velmora::platform {

namespace {

bool SameName(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size(); ++i) {
        if (b[i] == '\0' || std::toupper(static_cast<unsigned char>(a[i])) !=
                                std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return b[i] == '\0';
}

}  // namespace

MemoryKernel::MemoryKernel(FaultInjector& faults, std::vector<Resource> resources)
    : faults_(faults), resources_(std::move(resources)) {}

MemoryKernel::~MemoryKernel() {
    for (auto& [handle, file] : files_) {
        std::fclose(file);
    }
}

HMODULE MemoryKernel::GetModuleHandleA(const char* name) const {
    return name == nullptr ? kProgramModule : 0;
}

HRSRC MemoryKernel::FindResourceA(HMODULE module, const char* name, std::uint32_t type) const {
    if ((module != 0 && module != kProgramModule) || name == nullptr) {
        return 0;
    }
    for (std::size_t i = 0; i < resources_.size(); ++i) {
        if (resources_[i].type == type && SameName(resources_[i].name, name)) {
            return static_cast<HRSRC>(i + 1);
        }
    }
    return 0;
}

DWORD MemoryKernel::SizeofResource(HMODULE module, HRSRC resource) const {
    if ((module != 0 && module != kProgramModule) || resource == 0 ||
        resource > resources_.size()) {
        return 0;
    }
    return static_cast<DWORD>(resources_[resource - 1].bytes.size());
}

HGLOBAL MemoryKernel::LoadResource(HMODULE module, HRSRC resource) const {
    if ((module != 0 && module != kProgramModule) || resource == 0 ||
        resource > resources_.size()) {
        return 0;
    }
    return resource;
}

const std::uint8_t* MemoryKernel::LockResource(HGLOBAL data) {
    if (faults_.ShouldFail(Operation::kLockResource)) {
        return nullptr;
    }
    if (data == 0 || data > resources_.size()) {
        return nullptr;
    }
    return resources_[data - 1].bytes.data();
}

std::string MemoryKernel::Resolve(const char* path) const {
    const auto it = fileMap_.find(path);
    return it != fileMap_.end() ? it->second : std::string(path);
}

void MemoryKernel::MapFile(const std::string& name, const std::string& path) {
    fileMap_[name] = path;
}

HFILE MemoryKernel::lopen(const char* path, int mode) {
    if (path == nullptr || mode != OF_READ) {
        return HFILE_ERROR;
    }
    ++filesOpened_;
    std::FILE* file = std::fopen(Resolve(path).c_str(), "rb");
    if (file == nullptr) {
        return HFILE_ERROR;
    }
    const HFILE handle = nextFile_++;
    files_.emplace(handle, file);
    return handle;
}

UINT MemoryKernel::lread(HFILE file, void* buffer, UINT count) {
    const auto it = files_.find(file);
    if (it == files_.end() || buffer == nullptr) {
        return static_cast<UINT>(HFILE_ERROR);
    }
    return static_cast<UINT>(std::fread(buffer, 1, count, it->second));
}

HFILE MemoryKernel::lclose(HFILE file) {
    const auto it = files_.find(file);
    if (it == files_.end()) {
        return HFILE_ERROR;
    }
    std::fclose(it->second);
    files_.erase(it);
    return 0;
}

std::optional<std::vector<std::uint8_t>> MemoryKernel::ReadWholeFile(const char* path,
                                                                     std::size_t limit) {
    const HFILE file = lopen(path, OF_READ);
    if (file == HFILE_ERROR) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    while (true) {
        const UINT got = lread(file, chunk, sizeof(chunk));
        if (got == static_cast<UINT>(HFILE_ERROR)) {
            lclose(file);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > limit) {
            lclose(file);
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    lclose(file);
    return bytes;
}

bool MemoryKernel::FileExists(const std::string& path) {
    return PathExists(path);
}

std::string MemoryKernel::WriteNewFile(const std::string& path,
                                       const std::vector<std::uint8_t>& bytes) {
    if (faults_.ShouldFail(Operation::kWriteFile)) {
        return "cannot write '" + path + "': no space left on device";
    }
    return WriteFileNoReplace(path, bytes);
}

void MemoryKernel::OutputDebugStringA(const char* text) {
    if (text == nullptr) {
        return;
    }
    debugOutput_.emplace_back(text);
    if (echoDebug_) {
        std::fputs(text, stderr);
    }
}

HBITMAP MemoryKernel::LoadImageA(Gdi& gdi, HMODULE module, const char* name, UINT type, int width,
                                 int height, UINT flags) {
    auto* memory = dynamic_cast<MemoryGdi*>(&gdi);
    if (memory == nullptr) {
        return 0;
    }
    return LoadImageFromKernel(*this, *memory, module, name, type, width, height, flags);
}

}  // namespace velmora::platform
