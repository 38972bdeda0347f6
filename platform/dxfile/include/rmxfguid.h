// SPDX-License-Identifier: MIT
// Type ids of the standard .x templates (see <dxfile_templates.h>), under
// the names the .x tools use for them.
#pragma once

#include <dxfile_templates.h>
