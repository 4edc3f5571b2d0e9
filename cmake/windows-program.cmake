# velmora.exe: the program on the real DirectDraw, GDI, USER32 and KERNEL32,
# with the bitmap ALL and the icon compiled in as resources.
enable_language(RC)

add_library(velmora_platform_win32 STATIC
            platform/win32/convert.cpp platform/win32/win32_ddraw.cpp
            platform/win32/win32_gdi.cpp platform/win32/win32_kernel.cpp
            platform/win32/win32_window_system.cpp platform/win32/gdi_presenter.cpp
            platform/win32/win32_desktop.cpp)
target_link_libraries(velmora_platform_win32 PUBLIC velmora_platform_api velmora_platform_files
                      velmora_platform_ddraw ddraw gdi32 user32 shell32)

set(VELMORA_RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/velmora.rc)
set_source_files_properties(${VELMORA_RESOURCE_SCRIPT} PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/ALL.bmp;${CMAKE_SOURCE_DIR}/resources/velmora.ico")

add_executable(velmora WIN32 platform/win32/winmain.cpp ${VELMORA_RESOURCE_SCRIPT})
target_link_libraries(velmora PRIVATE velmora_app velmora_platform_win32 velmora_platform_window
                      velmora_resources)
# windres looks for the files the script names on the include path.
target_include_directories(velmora PRIVATE ${CMAKE_SOURCE_DIR}/resources)
# Symbols are no use to the people who get the zip.
target_link_options(velmora PRIVATE $<$<CONFIG:Release>:-s>)

# The layer's tests, against the real system: run under Wine or on Windows.
# They read the executable's own resources, so the resource script is theirs
# too. gtest_main comes from windows-tests.cmake.
if(VELMORA_TESTS)
  add_executable(velmora_win32_tests tests/win32_layer_test.cpp tests/win32_window_test.cpp
                 ${VELMORA_RESOURCE_SCRIPT})
  target_link_libraries(velmora_win32_tests PRIVATE velmora_platform_win32 velmora_app
                        velmora_platform_window velmora_resources gtest_main)
  target_include_directories(velmora_win32_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources)
endif()
