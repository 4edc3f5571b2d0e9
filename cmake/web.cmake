# The web build, with Emscripten: the headless player for Node, and the page's
# program on the browser's back end. Included from the top-level CMakeLists
# when the toolchain targets Emscripten.

# Node's fetch cannot read a local file: the player loads its .wasm
# synchronously through Node's file system, which it also writes through.
target_link_options(velmora-replay PRIVATE -sENVIRONMENT=node -sNODERAWFS=1
                    -sWASM_ASYNC_COMPILATION=0 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
