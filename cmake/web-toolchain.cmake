# SPDX-License-Identifier: MIT
# Toolchain of the web build: Debian's emscripten, with node running what
# CMake's checks need to run. scripts/web-build.sh passes it, with the
# prefix of scripts/web-deps.sh (GLORBS_WEB_PREFIX) and a native build of
# the generators (GLORBS_HOST_TOOLS_DIR).
set(GLORBS_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where emscripten is installed")
include(${GLORBS_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/node CACHE FILEPATH "Runs the web build's test programs")
