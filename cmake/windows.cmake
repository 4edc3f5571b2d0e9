# The Windows build: velmora.exe on the real DirectDraw and window manager,
# and the engine and display unit tests, all cross-built with mingw-w64.
# Included from the top-level CMakeLists when the toolchain targets Windows.

# Only system DLLs at run time: the C++ and GCC run-times linked in.
add_link_options(-static-libgcc -static-libstdc++ -static)

# CTest runs the Windows test programs under Wine.
if(VELMORA_TESTS)
  set(CMAKE_CROSSCOMPILING_EMULATOR bash ${CMAKE_SOURCE_DIR}/tests/wine/run.sh)
endif()

include(${CMAKE_CURRENT_LIST_DIR}/windows-program.cmake)
if(VELMORA_TESTS)
  include(${CMAKE_CURRENT_LIST_DIR}/windows-tests.cmake)
endif()
