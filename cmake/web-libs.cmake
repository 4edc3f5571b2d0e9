# The libraries of the web build: zlib, libpng and SDL2 (for its BMP reader)
# that scripts/build-web.sh compiles with emcc from Debian's sources.
set(VELMORA_WEB_DEPS ${CMAKE_BINARY_DIR}/deps CACHE PATH
    "Where scripts/build-web.sh installs the libraries compiled for WebAssembly")
if(NOT EXISTS ${VELMORA_WEB_DEPS}/lib/libSDL2.a)
  message(FATAL_ERROR "No libraries in ${VELMORA_WEB_DEPS} (bash scripts/build-web.sh builds them)")
endif()
# The toolchain searches its own root only; the libraries' folder is a second one.
list(APPEND CMAKE_FIND_ROOT_PATH ${VELMORA_WEB_DEPS})
set(ZLIB_LIBRARY ${VELMORA_WEB_DEPS}/lib/libz.a)
set(ZLIB_INCLUDE_DIR ${VELMORA_WEB_DEPS}/include)
find_package(PNG 1.6 REQUIRED)
add_library(velmora_sdl2 STATIC IMPORTED)
set_target_properties(velmora_sdl2 PROPERTIES
  IMPORTED_LOCATION ${VELMORA_WEB_DEPS}/lib/libSDL2.a
  INTERFACE_INCLUDE_DIRECTORIES ${VELMORA_WEB_DEPS}/include)
