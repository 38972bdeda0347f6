# SPDX-License-Identifier: MIT
# The web build (emscripten): the libraries come from the prefix that
# scripts/web-deps.sh builds, under the target names the desktop build gets
# from pkg-config and CMake's find modules, so the folders' CMakeLists stay
# the same. Linked by full path: a bare -lSDL2 would pull emscripten's port,
# which downloads at build time.
set(GLORBS_WEB_PREFIX "" CACHE PATH "Prefix of the libraries scripts/web-deps.sh built")
set(GLORBS_HOST_TOOLS_DIR "" CACHE PATH "Native build folder holding the generators (tools/) and glorbs_embed")
if(NOT GLORBS_WEB_PREFIX OR NOT EXISTS ${GLORBS_WEB_PREFIX}/lib/libSDL2.a)
  message(FATAL_ERROR "GLORBS_WEB_PREFIX must name the prefix scripts/web-deps.sh prints (no libSDL2.a in '${GLORBS_WEB_PREFIX}')")
endif()
if(NOT GLORBS_HOST_TOOLS_DIR)
  message(FATAL_ERROR "GLORBS_HOST_TOOLS_DIR must name a native build of the generators (scripts/web-build.sh makes one)")
endif()

function(glorbs_web_library target)
  cmake_parse_arguments(L "" "" "LIBS;INCLUDES" ${ARGN})
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set(libs)
  foreach(lib IN LISTS L_LIBS)
    list(APPEND libs ${GLORBS_WEB_PREFIX}/lib/${lib})
  endforeach()
  set(includes ${GLORBS_WEB_PREFIX}/include)
  foreach(dir IN LISTS L_INCLUDES)
    list(APPEND includes ${GLORBS_WEB_PREFIX}/include/${dir})
  endforeach()
  set_target_properties(${target} PROPERTIES INTERFACE_LINK_LIBRARIES "${libs}"
                                             INTERFACE_INCLUDE_DIRECTORIES "${includes}")
endfunction()

glorbs_web_library(ZLIB::ZLIB LIBS libz.a)
glorbs_web_library(PNG::PNG LIBS libpng16.a)
set_property(TARGET PNG::PNG APPEND PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
glorbs_web_library(JPEG::JPEG LIBS libjpeg.a)
glorbs_web_library(PkgConfig::FREETYPE LIBS libfreetype.a INCLUDES freetype2)
set_property(TARGET PkgConfig::FREETYPE APPEND PROPERTY INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
glorbs_web_library(PkgConfig::SDL2 LIBS libSDL2.a INCLUDES SDL2)
glorbs_web_library(PkgConfig::SDL2_MIXER LIBS libSDL2_mixer.a INCLUDES SDL2)
set_property(TARGET PkgConfig::SDL2_MIXER APPEND PROPERTY INTERFACE_LINK_LIBRARIES PkgConfig::SDL2)
# WebGL comes with emscripten; fonts are files of the page, found without fontconfig.
glorbs_web_library(PkgConfig::EPOXY)
glorbs_web_library(PkgConfig::FONTCONFIG)

# The generators run on the build machine: tools/ and platform/win32 use
# these in place of the executables they would build.
function(glorbs_host_tool target path)
  add_executable(${target} IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${GLORBS_HOST_TOOLS_DIR}/${path})
endfunction()

# The page: glorbs3d.js + .wasm + .data beside index.html. The game's own
# blocking message loop runs unchanged under ASYNCIFY, which lets it hand
# the browser a turn wherever it waits.
set(GLORBS_WEB_FONTS_DIR /usr/share/fonts/truetype/dejavu CACHE PATH "DejaVu font files bundled with the page (fonts-dejavu-core and -extra)")
function(glorbs_web_page)
  set(data ${CMAKE_BINARY_DIR}/webdata)
  set(fonts DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSansCondensed.ttf DejaVuSansCondensed-Bold.ttf)
  list(TRANSFORM fonts PREPEND ${GLORBS_WEB_FONTS_DIR}/)
  # Copied only where changed, so an unchanged data set links nothing again.
  add_custom_target(glorbs_webdata
    COMMAND ${CMAKE_COMMAND} -E make_directory ${data}/fonts ${data}/Media
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${fonts} ${data}/fonts/
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${GLORBS_MEDIA_FILES} ${data}/Media/
    COMMENT "Gathering the page's data: models, pictures and fonts"
    VERBATIM)
  add_dependencies(glorbs_webdata glorbs_media)
  add_dependencies(glorbs3d glorbs_webdata)
  set(copies)
  foreach(file IN LISTS fonts)
    get_filename_component(name "${file}" NAME)
    list(APPEND copies "${data}/fonts/${name}")
  endforeach()
  foreach(file IN LISTS GLORBS_MEDIA_FILES)
    get_filename_component(name "${file}" NAME)
    list(APPEND copies "${data}/Media/${name}")
  endforeach()
  set_property(TARGET glorbs3d APPEND PROPERTY LINK_DEPENDS ${copies})
  # What SDL2's JavaScript calls but, built outside emscripten's ports, does
  # not pull in itself. In a file: a '$' on the link line would not survive
  # the build tool's escaping.
  file(WRITE ${CMAKE_BINARY_DIR}/web_library_funcs.json "[\"$autoResumeAudioContext\", \"$dynCall\"]\n")
  set_target_properties(glorbs3d PROPERTIES SUFFIX .js)
  target_link_options(glorbs3d PRIVATE
    -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=65536
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864
    # Win32 tells a resource id from a name pointer by the pointer being
    # below 64 KiB: no data of ours may live down there.
    -sGLOBAL_BASE=65536
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    # The runtime stays up when main first hands the browser its turn: with
    # it torn down there, static destructors would unregister resources.
    -sENVIRONMENT=web -sEXIT_RUNTIME=0
    # ENV: the page passes a replay to the game as the desktop's environment does.
    "-sEXPORTED_RUNTIME_METHODS=['FS','ENV','addRunDependency','removeRunDependency']"
    -sDEFAULT_LIBRARY_FUNCS_TO_INCLUDE=@${CMAKE_BINARY_DIR}/web_library_funcs.json
    -lidbfs.js
    "--preload-file=${data}/fonts@/fonts" "--preload-file=${data}/Media@/Media")
  configure_file(${CMAKE_SOURCE_DIR}/web/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)
endfunction()
