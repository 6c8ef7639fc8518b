#pragma once

// <windows.h> for the Windows platform files, without the macros that would
// rename names of this program: windows.h maps ReplaceFile to its ANSI form,
// which would rename platform::ReplaceFile where it is defined.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef ReplaceFile

#ifndef ERROR_DIRECTORY_NOT_SUPPORTED
// "An operation is not supported on a directory": what a file that cannot be
// made because a folder stands at its name is reported as. Newer SDKs name
// it; mingw-w64's headers do not yet.
#define ERROR_DIRECTORY_NOT_SUPPORTED 336L
#endif
