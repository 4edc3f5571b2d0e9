#pragma once

// The few Windows-style value types that our window-system and
// DirectDraw-style layers speak in.

#include <cstdint>

namespace velmora::platform {

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using UINT = std::uint32_t;

// Opaque handles: 0 is "none". The in-memory layers use them as keys of their
// own tables, so a stale or forged handle is refused rather than dereferenced;
// on Windows they carry the system's own handles, hence pointer-sized.
using HWND = std::uintptr_t;
using HBITMAP = std::uintptr_t;
using HDC = std::uintptr_t;
using HGDIOBJ = std::uintptr_t;
using HMODULE = std::uintptr_t;
using HRSRC = std::uintptr_t;
using HGLOBAL = std::uintptr_t;
using HFILE = std::int32_t;

constexpr HFILE HFILE_ERROR = -1;

constexpr HRESULT MakeDirectDrawResult(std::uint32_t code) {
    return static_cast<HRESULT>(0x88760000U | code);
}

constexpr HRESULT DD_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005U);
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057U);
constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000EU);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDirectDrawResult(130);
constexpr HRESULT DDERR_INVALIDRECT = MakeDirectDrawResult(150);
constexpr HRESULT DDERR_NOTFOUND = MakeDirectDrawResult(255);
constexpr HRESULT DDERR_NODIRECTDRAWHW = MakeDirectDrawResult(355);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDirectDrawResult(380);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDirectDrawResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDirectDrawResult(450);
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MakeDirectDrawResult(581);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDirectDrawResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDirectDrawResult(584);
constexpr HRESULT DDERR_IMPLICITLYCREATED = MakeDirectDrawResult(588);
constexpr HRESULT DDERR_UNSUPPORTEDMODE = MakeDirectDrawResult(590);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDirectDrawResult(225);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDirectDrawResult(564);
constexpr HRESULT DDERR_CANTCREATEDC = MakeDirectDrawResult(597);
constexpr HRESULT DDERR_NOPALETTEATTACHED = MakeDirectDrawResult(572);

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct PALETTEENTRY {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;

    friend bool operator==(const PALETTEENTRY&, const PALETTEENTRY&) = default;
};
static_assert(sizeof(PALETTEENTRY) == 4);

}  // namespace velmora::platform
