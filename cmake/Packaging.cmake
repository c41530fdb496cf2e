# Installation and the Debian package.
#
# The program, its encoder and help.html stay together in one folder under the library
# directory: the program finds the other two beside its own real file. bin/ gets a link to it,
# and the desktop entry, metainfo and icons go where the freedesktop specifications put them.
# Tests, benchmarks and the screenshot tool are not installed.
include(GNUInstallDirs)

set(RC_PACKAGE_NAME kestrel-ravelcast)
set(RC_APPLICATION_ID org.kestrel.Ravelcast)
set(RC_INSTALL_APPDIR ${CMAKE_INSTALL_LIBDIR}/${RC_PACKAGE_NAME})
set(RC_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${RC_PACKAGE_NAME})

install(TARGETS ravelcast zorir3e.exe RUNTIME DESTINATION ${RC_INSTALL_APPDIR})
install(FILES help/help.html DESTINATION ${RC_INSTALL_APPDIR})

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install)
# A relative link, so the installed tree can be moved or unpacked under another root.
file(RELATIVE_PATH rc_launcher_target /root/${CMAKE_INSTALL_BINDIR}
     /root/${RC_INSTALL_APPDIR}/ravelcast)
file(CREATE_LINK ${rc_launcher_target} ${CMAKE_BINARY_DIR}/install/${RC_PACKAGE_NAME} SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install/${RC_PACKAGE_NAME} DESTINATION ${CMAKE_INSTALL_BINDIR})

set(rc_desktop ${PROJECT_SOURCE_DIR}/desktop)
install(FILES ${rc_desktop}/${RC_APPLICATION_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${rc_desktop}/${RC_APPLICATION_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${rc_desktop}/${RC_APPLICATION_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${rc_desktop}/icons/${size}x${size}/${RC_APPLICATION_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual page and the change log, compressed the way Debian keeps them (-n: no time stamp,
# so the package is the same from one build to the next).
find_program(GZIP gzip REQUIRED)
set(rc_gzipped)
foreach(doc package/${RC_PACKAGE_NAME}.1 package/changelog)
  get_filename_component(name ${doc} NAME)
  set(out ${CMAKE_BINARY_DIR}/install/${name}.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${GZIP} -9nc ${PROJECT_SOURCE_DIR}/${doc} > ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/${doc} VERBATIM)
  list(APPEND rc_gzipped ${out})
endforeach()
add_custom_target(install-docs ALL DEPENDS ${rc_gzipped})
install(FILES ${CMAKE_BINARY_DIR}/install/${RC_PACKAGE_NAME}.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/install/changelog.gz package/copyright
        DESTINATION ${RC_INSTALL_DOCDIR})

# The Debian package: scripts/package builds it.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${RC_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR Kestrel)
set(CPACK_PACKAGE_CONTACT "Kestrel Ravelcast maintainers <ravelcast@kestrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch converter for video and audio files")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/package/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrel.example/ravelcast)
# Library dependencies come from the binaries themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Help > Open Help File hands the page to the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

# Drives the installed program through one conversion for scripts/package-check; loaded with
# LD_PRELOAD, never installed.
add_library(ravelcast-installed-check MODULE EXCLUDE_FROM_ALL package/installed_check.cpp)
target_link_libraries(ravelcast-installed-check PRIVATE Qt6::Widgets)
set_target_properties(ravelcast-installed-check PROPERTIES AUTOMOC ON PREFIX ""
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
