# Small helpers shared by every folder's CMakeLists.

# glorbs_test(NAME name SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest executable, registered with CTest test by test. Tests run
# headless: offscreen video (EGL on llvmpipe) and a dummy sound card unless
# the test itself asks for another driver.
function(glorbs_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  if(GLORBS_SANITIZE)
    target_sources(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/keep_libraries_loaded.c)
    target_link_options(${T_NAME} PRIVATE -Wl,--export-dynamic-symbol=dlclose)
  endif()
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES
      ENVIRONMENT "SDL_VIDEODRIVER=offscreen;SDL_AUDIODRIVER=dummy;LIBGL_ALWAYS_SOFTWARE=1;GLORBS_SOURCE_DIR=${CMAKE_SOURCE_DIR};GLORBS_BINARY_DIR=${CMAKE_BINARY_DIR}"
      LABELS "${T_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()
