# What `cmake --install` puts on a Linux system, by the freedesktop and
# Debian conventions: the two programs, the menu entry and its icons, the
# AppStream metadata, the manual pages and the documentation. CPack's DEB
# generator (cmake/package.cmake) packs the same tree. Included from the
# top-level CMakeLists in the Linux build only.
include(GNUInstallDirs)

# One id names the desktop entry, the metadata and the icons, so that the
# software centres can join them up.
set(VELMORA_APP_ID org.velmora.Velmora CACHE STRING "Application id (reverse DNS)")
set(VELMORA_HOMEPAGE https://velmora.invalid/ CACHE STRING "Home page, ending in /")
set(VELMORA_MAINTAINER "Velmora Developers <dev@velmora.invalid>")

# The release date comes from the changelog, whose first entry must be this
# version: a release changes both together.
file(STRINGS ${CMAKE_SOURCE_DIR}/packaging/changelog changelog)
list(GET changelog 0 changelog_head)
if(NOT changelog_head MATCHES "^velmora \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with '${changelog_head}', "
                      "not the version ${PROJECT_VERSION}")
endif()
list(FILTER changelog INCLUDE REGEX "^ -- ")
list(GET changelog 0 changelog_trailer)
string(REGEX MATCH ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) "
       matched "${changelog_trailer}")
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
if(NOT matched OR month LESS 0)
  message(FATAL_ERROR "packaging/changelog: no date in '${changelog_trailer}'")
endif()
math(EXPR month "${month} + 1")
string(REGEX REPLACE "^([0-9])$" "0\\1" month "${month}")
set(VELMORA_RELEASE_DATE ${year}-${month}-${day})

set(staged ${CMAKE_BINARY_DIR}/installed)
configure_file(packaging/velmora.desktop.in ${staged}/${VELMORA_APP_ID}.desktop @ONLY)
configure_file(packaging/velmora.metainfo.xml.in ${staged}/${VELMORA_APP_ID}.metainfo.xml @ONLY)
configure_file(packaging/velmora.1.in ${staged}/velmora.1 @ONLY)
configure_file(packaging/velmora-replay.1.in ${staged}/velmora-replay.1 @ONLY)

# The hicolor icons, drawn from the same source as velmora.ico; Debian wants
# manual pages, the changelog and long documents compressed, without time
# stamps so that the same sources give the same package.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(VELMORA_GZIP gzip REQUIRED)
set(VELMORA_ICON_SIZES 16 32 48 64 128 256)
set(generated)
foreach(size ${VELMORA_ICON_SIZES})
  set(icon ${staged}/icons/${size}/${VELMORA_APP_ID}.png)
  add_custom_command(OUTPUT ${icon}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}/icons/${size}
                     COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/resources/make_icon.py
                             --png ${size} ${icon}
                     DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_icon.py VERBATIM)
  list(APPEND generated ${icon})
endforeach()
foreach(source ${staged}/velmora.1 ${staged}/velmora-replay.1
        ${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_SOURCE_DIR}/README.md)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${staged}/${name}.gz
                     COMMAND ${VELMORA_GZIP} -9nc ${source} > ${staged}/${name}.gz
                     DEPENDS ${source})
  list(APPEND generated ${staged}/${name}.gz)
endforeach()
add_custom_target(velmora_installed_files ALL DEPENDS ${generated})

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/velmora)
install(TARGETS velmora velmora-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${staged}/${VELMORA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${staged}/${VELMORA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
foreach(size ${VELMORA_ICON_SIZES})
  install(FILES ${staged}/icons/${size}/${VELMORA_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${staged}/velmora.1.gz ${staged}/velmora-replay.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${staged}/README.md.gz ${staged}/changelog.gz
              ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${docdir})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/demo/ DESTINATION ${docdir}/examples
        FILES_MATCHING PATTERN "*.velmora")
