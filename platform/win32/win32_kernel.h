#pragma once

// The kernel services on the real KERNEL32 and USER32: the executable's own
// module and resources (the bitmap ALL is compiled in as a bitmap resource),
// old-style file reads, the debug output and the system's image loader.

#include <cstdint>

#include "platform/window/kernel.h"

namespace velmora::platform::win32 {

class Win32Kernel : public Kernel {
  public:
    HMODULE GetModuleHandleA(const char* name) const override;

    HRSRC FindResourceA(HMODULE module, const char* name, std::uint32_t type) const override;
    DWORD SizeofResource(HMODULE module, HRSRC resource) const override;
    HGLOBAL LoadResource(HMODULE module, HRSRC resource) const override;
    const std::uint8_t* LockResource(HGLOBAL data) override;

    HFILE lopen(const char* path, int mode) override;
    UINT lread(HFILE file, void* buffer, UINT count) override;
    HFILE lclose(HFILE file) override;

    void OutputDebugStringA(const char* text) override;
    bool FileExists(const std::string& path) override;
    std::string WriteNewFile(const std::string& path,
                             const std::vector<std::uint8_t>& bytes) override;

    // The system's loader; the bitmap is a real GDI bitmap, whatever `gdi`.
    HBITMAP LoadImageA(Gdi& gdi, HMODULE module, const char* name, UINT type, int width, int height,
                       UINT flags) override;
};

}  // namespace velmora::platform::win32
