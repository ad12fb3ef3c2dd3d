// The Windows API for the platform layer's Windows files. Include it after the library's
// own headers: <windows.h> defines macros (SRCCOPY, TRANSPARENT, OPAQUE, MessageBox ...)
// that would rewrite the names those headers declare. The macros that would rename our
// own members (MessageBox, FindFirstFile, ShellExecute, PlaySound and the text calls of
// gdi::Gdi) are taken away here; their Win32 functions are called by their ANSI names.
#pragma once

#include <windows.h>
// The rest need the types <windows.h> declares first.
#include <commctrl.h>
#include <mmsystem.h>
#include <ocidl.h>
#include <olectl.h>
#include <shellapi.h>
#include <tlhelp32.h>
#include <uxtheme.h>

#undef MessageBox
#undef FindFirstFile
#undef ShellExecute
#undef PlaySound
#undef CreateFontIndirect
#undef GetTextFace
#undef GetTextMetrics
#undef GetTextExtentPoint32
#undef GetObject
#undef DrawText
#undef TOOLINFOA
