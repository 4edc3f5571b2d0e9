# The Debian package of what cmake/install.cmake installs, by CPack's DEB
# generator: `cpack -G DEB` in the build folder (scripts/package.sh).
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora Developers")
set(CPACK_PACKAGE_CONTACT "${VELMORA_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VELMORA_HOMEPAGE})
# dpkg-shlibdeps reads what the programs link against.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive painter for random-dot autostereograms")
# CPack puts the summary first itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velmora fills a picture with a single-image random-dot stereogram: every
row repeats a random pattern, shifted locally by a per-pixel depth, so that
a viewer who fuses the repeats sees shapes in depth. The mouse moves a brush
that is visible only in depth; the left button paints a plateau at the
drawing depth, the right button clears. Pictures and their depth maps are
saved as PNG files and open again exactly.
.
The package contains the painter (full screen or in a window, from the
desktop's menu) and velmora-replay, which runs the same program headless
from a script, with demonstration scripts.")
include(CPack)
