#include "platform/win32/win32_kernel.h"

#include "platform/files.h"
#include "platform/win32/convert.h"

namespace velmora::platform::win32 {

platform::HMODULE Win32Kernel::GetModuleHandleA(const char* name) const {
    return HandleValue(::GetModuleHandleA(name));
}

platform::HRSRC Win32Kernel::FindResourceA(platform::HMODULE module, const char* name,
                                           std::uint32_t type) const {
    if (name == nullptr || type > 0xFFFF) {
        return 0;
    }
    return HandleValue(::FindResourceA(SystemHandle<::HMODULE>(module), name,
                                       MAKEINTRESOURCEA(static_cast<::WORD>(type))));
}

platform::DWORD Win32Kernel::SizeofResource(platform::HMODULE module,
                                            platform::HRSRC resource) const {
    return ::SizeofResource(SystemHandle<::HMODULE>(module), SystemHandle<::HRSRC>(resource));
}

platform::HGLOBAL Win32Kernel::LoadResource(platform::HMODULE module,
                                            platform::HRSRC resource) const {
    return HandleValue(
        ::LoadResource(SystemHandle<::HMODULE>(module), SystemHandle<::HRSRC>(resource)));
}

const std::uint8_t* Win32Kernel::LockResource(platform::HGLOBAL data) {
    return static_cast<const std::uint8_t*>(::LockResource(SystemHandle<::HGLOBAL>(data)));
}

platform::HFILE Win32Kernel::lopen(const char* path, int mode) {
    if (path == nullptr) {
        return HFILE_ERROR;
    }
    return ::_lopen(path, mode);
}

platform::UINT Win32Kernel::lread(platform::HFILE file, void* buffer, platform::UINT count) {
    if (buffer == nullptr && count != 0) {
        return static_cast<platform::UINT>(HFILE_ERROR);
    }
    return ::_lread(file, buffer, count);
}

platform::HFILE Win32Kernel::lclose(platform::HFILE file) {
    return ::_lclose(file);
}

void Win32Kernel::OutputDebugStringA(const char* text) {
    if (text != nullptr) {
        ::OutputDebugStringA(text);
    }
}

bool Win32Kernel::FileExists(const std::string& path) {
    return PathExists(path);
}

std::string Win32Kernel::WriteNewFile(const std::string& path,
                                      const std::vector<std::uint8_t>& bytes) {
    return WriteFileNoReplace(path, bytes);
}

platform::HBITMAP Win32Kernel::LoadImageA(Gdi& /*gdi*/, platform::HMODULE module, const char* name,
                                          platform::UINT type, int width, int height,
                                          platform::UINT flags) {
    if (name == nullptr) {
        return 0;
    }
    return HandleValue(
        ::LoadImageA(SystemHandle<::HINSTANCE>(module), name, type, width, height, flags));
}

}  // namespace velmora::platform::win32
