#include "platform/win32/win32_gdi.h"

#include <cstring>

#include "platform/win32/convert.h"

namespace velmora::platform::win32 {

int Win32Gdi::GetObjectA(platform::HGDIOBJ object, int size, void* record) const {
    const auto handle = SystemHandle<::HGDIOBJ>(object);
    if (::GetObjectType(handle) != OBJ_BITMAP) {
        return ::GetObjectA(handle, size, record);
    }
    if (record == nullptr) {
        return sizeof(platform::BITMAP);
    }
    if (size < static_cast<int>(sizeof(platform::BITMAP))) {
        return 0;
    }
    ::BITMAP system{};
    if (::GetObjectA(handle, sizeof(system), &system) == 0) {
        return 0;
    }
    platform::BITMAP ours;
    ours.bmType = system.bmType;
    ours.bmWidth = system.bmWidth;
    ours.bmHeight = system.bmHeight;
    ours.bmWidthBytes = system.bmWidthBytes;
    ours.bmPlanes = system.bmPlanes;
    ours.bmBitsPixel = system.bmBitsPixel;
    // A 64-bit pixel address does not fit the record's 32-bit field; nobody
    // reads it, so it stays 0 rather than half an address.
    ours.bmBits = 0;
    std::memcpy(record, &ours, sizeof(ours));
    return sizeof(ours);
}

bool Win32Gdi::DeleteObject(platform::HGDIOBJ object) {
    return ::DeleteObject(SystemHandle<::HGDIOBJ>(object)) != FALSE;
}

platform::HDC Win32Gdi::CreateCompatibleDC(platform::HDC reference) {
    return HandleValue(::CreateCompatibleDC(SystemHandle<::HDC>(reference)));
}

platform::HGDIOBJ Win32Gdi::SelectObject(platform::HDC dc, platform::HGDIOBJ object) {
    return HandleValue(::SelectObject(SystemHandle<::HDC>(dc), SystemHandle<::HGDIOBJ>(object)));
}

bool Win32Gdi::StretchBlt(platform::HDC target, int x, int y, int width, int height,
                          platform::HDC source, int sourceX, int sourceY, int sourceWidth,
                          int sourceHeight, platform::DWORD rop) {
    return ::StretchBlt(SystemHandle<::HDC>(target), x, y, width, height,
                        SystemHandle<::HDC>(source), sourceX, sourceY, sourceWidth, sourceHeight,
                        rop) != FALSE;
}

bool Win32Gdi::DeleteDC(platform::HDC dc) {
    return ::DeleteDC(SystemHandle<::HDC>(dc)) != FALSE;
}

}  // namespace velmora::platform::win32
