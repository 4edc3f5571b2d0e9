# The unit tests as Windows programs, run by CTest under Wine
# (tests/wine/run.sh) or on Windows: the engine and display code where long is 32 bits, with
# Windows' own bitmap decoder behind the image loader.

# GoogleTest from the sources Debian ships, built by the cross compiler.
set(VELMORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${VELMORA_GTEST_SOURCE}/googletest/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${VELMORA_GTEST_SOURCE} "
                      "(bash scripts/deps.sh build installs libgtest-dev)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${VELMORA_GTEST_SOURCE}/googletest ${CMAKE_BINARY_DIR}/googletest
                 EXCLUDE_FROM_ALL)

add_executable(velmora_stereo_tests tests/stereo_scene_test.cpp tests/stereo_stroke_test.cpp
                 tests/stereo_relief_test.cpp)
target_link_libraries(velmora_stereo_tests PRIVATE velmora_stereo gtest_main)

# The delivered bitmap goes next to the test program, which is run from its
# own folder: a path that means the same on Windows and under Wine.
add_executable(velmora_display_tests tests/ddraw_test.cpp tests/bitmap_test.cpp
               tests/flicker_test.cpp)
target_link_libraries(velmora_display_tests PRIVATE velmora_display velmora_platform_window
                      velmora_resources gtest_main)
target_compile_definitions(velmora_display_tests PRIVATE VELMORA_ALL_BMP="ALL.bmp")
add_custom_command(TARGET velmora_display_tests POST_BUILD
                   COMMAND ${CMAKE_COMMAND} -E copy_if_different
                           ${CMAKE_SOURCE_DIR}/resources/ALL.bmp
                           $<TARGET_FILE_DIR:velmora_display_tests>/ALL.bmp)

# The PNG files, with the cross-built libpng.
add_executable(velmora_files_tests tests/depth_png_test.cpp)
target_link_libraries(velmora_files_tests PRIVATE velmora_files PNG::PNG gtest_main)
set(VELMORA_WINE_SUITES velmora_stereo_tests velmora_display_tests velmora_files_tests)

# The real layers' own tests, which windows-program.cmake defines.
if(TARGET velmora_win32_tests)
  list(APPEND VELMORA_WINE_SUITES velmora_win32_tests)
endif()

enable_testing()
foreach(suite ${VELMORA_WINE_SUITES})
  add_test(NAME ${suite} COMMAND ${suite} --gtest_brief=1)
endforeach()

# Another program taking the foreground from velmora.exe and giving it back,
# for the end-to-end test under Wine.
add_executable(velmora_activate WIN32 tests/win32_activate.cpp)
