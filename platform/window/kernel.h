#pragma once

// The kernel services the program uses: its own module and resources, plain
// file reads, the debug output, and the image loader that turns a bitmap
// resource or file into a GDI bitmap. In memory (memory_kernel.h) or the
// real KERNEL32 and USER32.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ddraw/gdi.h"
#include "platform/types.h"

namespace velmora::platform {

constexpr std::uint32_t RT_BITMAP = 2;
constexpr int OF_READ = 0;
constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT LR_LOADFROMFILE = 0x10;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;

class Kernel {
  public:
    virtual ~Kernel() = default;

    virtual HMODULE GetModuleHandleA(const char* name) const = 0;

    virtual HRSRC FindResourceA(HMODULE module, const char* name, std::uint32_t type) const = 0;
    virtual DWORD SizeofResource(HMODULE module, HRSRC resource) const = 0;
    virtual HGLOBAL LoadResource(HMODULE module, HRSRC resource) const = 0;
    virtual const std::uint8_t* LockResource(HGLOBAL data) = 0;

    // Old-style file access. Files are opened for reading only.
    virtual HFILE lopen(const char* path, int mode) = 0;
    virtual UINT lread(HFILE file, void* buffer, UINT count) = 0;
    virtual HFILE lclose(HFILE file) = 0;

    virtual void OutputDebugStringA(const char* text) = 0;

    // Whether anything (file or folder) has that name.
    virtual bool FileExists(const std::string& path) = 0;
    // Writes a new file: the bytes go to a temporary name in the same folder,
    // which is then renamed to `path` unless `path` exists meanwhile, so no
    // half-written file ever has the final name and nothing is overwritten.
    // Empty on success, else one line saying what failed.
    virtual std::string WriteNewFile(const std::string& path,
                                     const std::vector<std::uint8_t>& bytes) = 0;

    // LoadImageA for bitmaps: by resource name from a module, or from a file
    // path with LR_LOADFROMFILE; the bitmap belongs to `gdi`. 0 on failure.
    virtual HBITMAP LoadImageA(Gdi& gdi, HMODULE module, const char* name, UINT type, int width,
                               int height, UINT flags) = 0;
};

}  // namespace velmora::platform
