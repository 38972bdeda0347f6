// SPDX-License-Identifier: MIT
// The standard .x template set for IDirectXFile::RegisterTemplates, under
// the names the .x tools use for it (see <dxfile_templates.h>).
#pragma once

#include <dxfile_templates.h>
