// SPDX-License-Identifier: MIT
// Finding the game's data files: first as named (relative to the working
// directory, or absolute), then in the media directory that the registry
// names. Paths may use '\' separators.
#pragma once

#include <windows.h>

#include <string>

// The media directory with a trailing "\Media\", or "" when the registry has
// no usable value (missing, or too long for MAX_PATH with "\Media\"). The
// text lives in one static buffer that each call overwrites.
const char* GetMediaDirectory();

// `path` must hold MAX_PATH characters. S_OK with the usable path in it;
// E_FAIL with the bare name (cut to fit, always terminated) when the file
// opens in neither place; E_INVALIDARG for a null pointer. A name or a
// combined path too long for MAX_PATH is never tried in a shortened form.
HRESULT LocateMediaFile(char* path, const char* fileName);

// One line for stderr that names `fileName` and why the game cannot use it:
// when the lookup finds it nowhere, every folder that was searched (the
// working directory, or the name's own folder, then the media directory);
// when it is found, the full path and that it is damaged or unreadable
// (the caller's load of it failed). The player can then put it right.
std::string DescribeMediaFileProblem(const char* fileName);
// Writes that line, prefixed "glorbs3d: ", on stderr.
void ReportMediaFileProblem(const char* fileName);
