# The web build, with Emscripten: the headless player for Node, and the page's
# program on the browser's back end. Included from the top-level CMakeLists
# when the toolchain targets Emscripten.

# Node's fetch cannot read a local file: the player loads its .wasm
# synchronously through Node's file system, which it also writes through.
target_link_options(velmora-replay PRIVATE -sENVIRONMENT=node -sNODERAWFS=1
                    -sWASM_ASYNC_COMPILATION=0 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)

# The page's program. Waiting for the next frame and for a box's OK hand
# control to the browser through Asyncify, so the program's loop and its
# modal boxes stay as they are.
add_library(velmora_platform_web STATIC platform/web/browser.cpp platform/web/input.cpp)
target_link_libraries(velmora_platform_web PUBLIC velmora_platform_window)
add_executable(velmora platform/web/web_main.cpp)
target_link_libraries(velmora PRIVATE velmora_app velmora_platform_web velmora_resources)
target_link_options(velmora PRIVATE -sENVIRONMENT=web -sASYNCIFY -sASYNCIFY_STACK_SIZE=65536
                    -sALLOW_MEMORY_GROWTH=1 -sINVOKE_RUN=0 -sFORCE_FILESYSTEM=1
                    -sEXPORTED_RUNTIME_METHODS=callMain,FS,stringToUTF8,lengthBytesUTF8
                    -sEXPORTED_FUNCTIONS=_main,_malloc,_free,_velmora_pointer,_velmora_key,_velmora_virtual_key,_velmora_activate,_velmora_drop,_velmora_drawing_depth)

# The page names the version it was built from.
configure_file(${CMAKE_SOURCE_DIR}/platform/web/index.html ${CMAKE_BINARY_DIR}/index.html @ONLY)
