# Debian package: `cpack -G DEB` in a build folder (see scripts/package.sh).
# Installs under /usr; the library dependencies are found by dpkg-shlibdeps.

set(CPACK_PACKAGE_NAME kestrune)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrune")
set(CPACK_PACKAGE_CONTACT "${KESTRUNE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "modeller for small polygon meshes (OFF files)")
set(CPACK_PACKAGE_DESCRIPTION
    "Kestrune opens a polygon mesh from an OFF file, shows it in a perspective view
and three orthographic views, edits its vertices and faces with the mouse,
textures every face with a JPEG image or a uniform colour, remodels the whole
mesh (optimal texture bases, all triangles, Loop subdivision) and saves it
back to OFF. The interface is in French.
.
The package also holds kestrune-batch, which remodels OFF files from the
command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRUNE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 plugin at run time: shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")

include(CPack)
