#pragma once

// The Windows SDK headers, for the files of this folder only. They define
// many of our layer's names (DD_OK, WM_CLOSE, RT_BITMAP, ...) as macros, so
// every file includes this one after all of our own headers, and from then
// on uses the system's spelling of those values (they are equal to ours).

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
// Dropped files (left out by WIN32_LEAN_AND_MEAN).
#include <shellapi.h>
// After windows.h, which it relies on.
#include <ddraw.h>
