# SPDX-License-Identifier: MIT
# Small helpers shared by every folder's CMakeLists.

# glorbs_keep_libraries_loaded(target)
# In sanitizer builds: keeps the libraries a program loads (the GL driver)
# loaded to the end, so that leak reports can name what they allocated.
function(glorbs_keep_libraries_loaded target)
  if(GLORBS_SANITIZE)
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests/keep_libraries_loaded.c)
    target_link_options(${target} PRIVATE -Wl,--export-dynamic-symbol=dlclose)
  endif()
endfunction()

# glorbs_test(NAME name SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest executable, registered with CTest test by test. Its main()
# (tests/test_main.cpp) makes it headless unless the caller asks otherwise.
function(glorbs_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_sources(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/test_main.cpp)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  glorbs_keep_libraries_loaded(${T_NAME})
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES
      LABELS "${T_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()

# glorbs_embed_resources(TARGET target NAME name RESOURCES type id file ...)
# Embeds files as resources of the program: FindResourceA(NULL, id, type)
# then finds them. `type` is BITMAP, ICON, GROUP_ICON, RCDATA or any string
# type (e.g. WAV); `id` is a number or a name. The bytes become a generated
# C++ source, compiled into an object library whose objects reach every
# executable that links `target` (an executable, or a library: its users get
# them), so nothing is dropped by the linker. Files made by a custom target
# need add_dependencies(glorbs_res_<name> <that target>).
function(glorbs_embed_resources)
  cmake_parse_arguments(E "" "TARGET;NAME" "RESOURCES" ${ARGN})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/glorbs_res_${E_NAME}.cpp)
  set(files)
  set(args)
  list(LENGTH E_RESOURCES n)
  math(EXPR last "${n} - 1")
  if(n GREATER 0)
    foreach(i RANGE 0 ${last} 3)
      math(EXPR j "${i} + 1")
      math(EXPR k "${i} + 2")
      list(GET E_RESOURCES ${i} type)
      list(GET E_RESOURCES ${j} id)
      list(GET E_RESOURCES ${k} file)
      list(APPEND args ${type} ${id} ${file})
      list(APPEND files ${file})
    endforeach()
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND glorbs_embed ${out} ${args}
    DEPENDS glorbs_embed ${files}
    COMMENT "Embedding resources ${E_NAME}"
    VERBATIM)
  add_library(glorbs_res_${E_NAME} OBJECT ${out})
  target_link_libraries(glorbs_res_${E_NAME} PRIVATE glorbs_win32)
  get_target_property(kind ${E_TARGET} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    target_sources(${E_TARGET} PRIVATE $<TARGET_OBJECTS:glorbs_res_${E_NAME}>)
  else()
    target_sources(${E_TARGET} INTERFACE $<TARGET_OBJECTS:glorbs_res_${E_NAME}>)
  endif()
endfunction()
