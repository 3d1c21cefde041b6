# What `cmake --install` puts under the prefix: the two programs, the desktop entry, the MIME types,
# the thumbnailer, the application icon (the SVG source and PNGs drawn from it at build time) and
# the manual pages; and the Debian package that scripts/package.sh makes of the same tree.
include(GNUInstallDirs)

install(TARGETS vertigon vertigon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(VERTIGON_DESKTOP_DIR ${CMAKE_SOURCE_DIR}/app/desktop)
install(FILES ${VERTIGON_DESKTOP_DIR}/vertigon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VERTIGON_DESKTOP_DIR}/vertigon-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME vertigon.xml)
install(FILES ${VERTIGON_DESKTOP_DIR}/vertigon.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)

set(VERTIGON_ICON_SOURCE ${CMAKE_SOURCE_DIR}/app/icons/vertigon.svg)
install(FILES ${VERTIGON_ICON_SOURCE} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(VERTIGON_ICON_PNGS)
foreach(size 48 256)
  set(png ${CMAKE_BINARY_DIR}/generated/icons/${size}/vertigon.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated/icons/${size}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${VERTIGON_ICON_SOURCE}
    DEPENDS ${VERTIGON_ICON_SOURCE}
    COMMENT "Drawing the ${size} pixel application icon")
  list(APPEND VERTIGON_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

install(FILES ${VERTIGON_BLENDER_ADDON} DESTINATION ${CMAKE_INSTALL_DATADIR}/vertigon/blender)

# Manual pages go in compressed, as Debian's policy asks; man reads them either way.
find_program(GZIP gzip REQUIRED)
set(VERTIGON_MAN_PAGES)
foreach(page vertigon.1 vertigon-cli.1)
  set(compressed ${CMAKE_BINARY_DIR}/generated/man/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated/man
    COMMAND ${GZIP} -9 -n -c ${CMAKE_SOURCE_DIR}/docs/man/${page} > ${compressed}
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/man/${page}
    COMMENT "Compressing the manual page ${page}")
  list(APPEND VERTIGON_MAN_PAGES ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The Debian package's own papers: the copyright statement and a changelog carrying the version.
set(VERTIGON_MAINTAINER "Vertigon maintainers <maintainers@users.noreply.c-seed-7885a82b.example>")
configure_file(${CMAKE_SOURCE_DIR}/docs/debian/changelog.in ${CMAKE_BINARY_DIR}/generated/debian/changelog @ONLY)
set(VERTIGON_CHANGELOG ${CMAKE_BINARY_DIR}/generated/debian/changelog.gz)
add_custom_command(OUTPUT ${VERTIGON_CHANGELOG}
  COMMAND ${GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/generated/debian/changelog > ${VERTIGON_CHANGELOG}
  DEPENDS ${CMAKE_BINARY_DIR}/generated/debian/changelog
  COMMENT "Compressing the changelog")
install(FILES ${CMAKE_SOURCE_DIR}/docs/debian/copyright ${VERTIGON_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})

add_custom_target(vertigon_desktop_files ALL DEPENDS ${VERTIGON_ICON_PNGS} ${VERTIGON_MAN_PAGES} ${VERTIGON_CHANGELOG})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vertigon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vertigon developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for PlayStation 2 game models and their animations")
set(CPACK_PACKAGE_DESCRIPTION
  "Vertigon shows the 3-D character and object models of several PlayStation 2 era\n"
  "games (Final Fantasy X, X-2 and XII, Kingdom Hearts and Kingdom Hearts II) with\n"
  "their textures and skeletons, and plays their animations. Kingdom Hearts\n"
  "animations run the game's own routines in a built-in emulator of the\n"
  "console's main processor.\n"
  "\n"
  "The package holds the viewer, the command-line tool vertigon-cli (model\n"
  "information as JSON, offscreen rendering to PNG, thumbnails), the desktop\n"
  "entry, MIME types for the model files and a thumbnailer for file managers.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VERTIGON_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libepoxy opens the EGL library at run time, so no linked library names it; the offscreen
# drawing of vertigon-cli also wants Mesa's EGL and its drivers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libegl-mesa0, libgl1-mesa-dri")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
