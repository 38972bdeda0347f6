// SPDX-License-Identifier: MIT
// The extension library's umbrella header: each family of operations has its
// own header, and this one gathers them the way game code expects to include
// them (<d3dx8.h>).
#pragma once

#include <d3dx8math.h>
#include <d3dx8mesh.h>
#include <d3dx8tex.h>
