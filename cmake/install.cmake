# Install rules: the two programs, the French help page, the examples, the
# desktop entry, the icons, the AppStream metainfo, the OFF file type, the
# thumbnailer, the man pages and the package documents. Paths follow
# GNUInstallDirs; the program finds its data from its own folder
# (../share/kestrune), so the prefix may move.

set(KESTRUNE_APP_ID io.github.kestrune.Kestrune)
# Date of the release of PROJECT_VERSION: change it together with the version.
set(KESTRUNE_RELEASE_DATE 2026-12-07)
set(KESTRUNE_MAINTAINER "Kestrune maintainers <kestrune@users.noreply.github.com>"
    CACHE STRING "Maintainer named in the Debian package and its changelog")
set(KESTRUNE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kestrune)
set(KESTRUNE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kestrune)
set(KESTRUNE_GENERATED ${CMAKE_BINARY_DIR}/generated)

install(TARGETS kestrune-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The child that reads other formats under limits, started by the programs.
install(TARGETS kestrune-import RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kestrune)
# Thumbnails of the models the window opens, in the file managers, made by
# kestrune-batch.
install(FILES resources/desktop/kestrune.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${KESTRUNE_DATA_DIR}/examples)

# Man pages and the Debian changelog carry the version and are compressed at
# build time, as Debian wants them (gzip -n: no time stamp, same bytes each build).
find_program(KESTRUNE_GZIP gzip REQUIRED)
execute_process(COMMAND date -u -R -d "${KESTRUNE_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE KESTRUNE_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(cmake/changelog.Debian.in ${KESTRUNE_GENERATED}/changelog.Debian @ONLY)
set(KESTRUNE_COMPRESSED_DOCS ${KESTRUNE_GENERATED}/changelog.Debian)
set(KESTRUNE_MAN_PAGES kestrune-batch)
if(TARGET kestrune)
  list(APPEND KESTRUNE_MAN_PAGES kestrune)
endif()
foreach(page ${KESTRUNE_MAN_PAGES})
  configure_file(resources/man/${page}.1.in ${KESTRUNE_GENERATED}/man/${page}.1 @ONLY)
  list(APPEND KESTRUNE_COMPRESSED_DOCS ${KESTRUNE_GENERATED}/man/${page}.1)
  install(FILES ${KESTRUNE_GENERATED}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
set(KESTRUNE_GZIPPED)
foreach(document ${KESTRUNE_COMPRESSED_DOCS})
  add_custom_command(OUTPUT ${document}.gz
    COMMAND ${KESTRUNE_GZIP} -9 -n -k -f ${document}
    DEPENDS ${document}
    VERBATIM)
  list(APPEND KESTRUNE_GZIPPED ${document}.gz)
endforeach()
add_custom_target(kestrune_compressed_docs ALL DEPENDS ${KESTRUNE_GZIPPED})
install(FILES ${KESTRUNE_GENERATED}/changelog.Debian.gz resources/desktop/copyright
        DESTINATION ${KESTRUNE_DOC_DIR})

if(TARGET kestrune)
  install(TARGETS kestrune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/aide/ DESTINATION ${KESTRUNE_DATA_DIR}/aide)
  # In the build folder the examples lie beside the executable, like the help page.
  add_custom_command(TARGET kestrune POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory
            ${CMAKE_SOURCE_DIR}/examples $<TARGET_FILE_DIR:kestrune>/examples)

  install(FILES resources/desktop/${KESTRUNE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(resources/desktop/${KESTRUNE_APP_ID}.metainfo.xml
                 ${KESTRUNE_GENERATED}/${KESTRUNE_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${KESTRUNE_GENERATED}/${KESTRUNE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES resources/desktop/kestrune-off.xml resources/desktop/kestrune-formats.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  foreach(size 16 32 48 64 128 256)
    install(FILES resources/icons/${size}x${size}/${KESTRUNE_APP_ID}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES resources/icons/${KESTRUNE_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
