#pragma once
// The one way the Win32 layer includes <windows.h>. Some of its macros
// (DeleteFile, ReplaceFile, Yield) share names with the platform interfaces'
// methods and would silently rename them, so they are removed here; the
// layer calls the W functions by their full names anyway.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>

#undef DeleteFile
#undef ReplaceFile
#undef Yield
