# libpng for the Windows build: the static library scripts/build-windows.sh
# builds from Debian's libpng sources into the build folder, over the static
# zlib of Debian's libz-mingw-w64-dev. Both are linked into the programs, so
# velmora.exe still needs no DLL of its own.
set(VELMORA_LIBPNG_PREFIX ${CMAKE_BINARY_DIR}/libpng CACHE PATH
    "Where scripts/build-windows.sh installs the cross-built libpng")
if(NOT EXISTS ${VELMORA_LIBPNG_PREFIX}/include/png.h)
  message(FATAL_ERROR "No libpng in ${VELMORA_LIBPNG_PREFIX} "
                      "(bash scripts/build-windows.sh builds it)")
endif()
# The toolchain searches its own root only; the libpng folder is a second one.
list(APPEND CMAKE_FIND_ROOT_PATH ${VELMORA_LIBPNG_PREFIX})
# The archive, not the import library of zlib1.dll.
find_library(ZLIB_LIBRARY NAMES libz.a REQUIRED)
find_package(PNG 1.6 REQUIRED)
