# Installation and the Debian package: the three programs, pack.zip, the
# desktop entry, AppStream metadata, icons drawn from the party badge and the
# manual pages, in the usual places under the prefix; `--target package`
# makes a .deb of them with CPack.
include(GNUInstallDirs)

set(AMBER_PACKAGE_NAME amberpudding)
set(AMBER_APP_ID org.amberpudding.AmberPudding)
set(AMBER_MAINTAINER "Amber Pudding developers <amberpudding@example.org>")
# Bump these with the project's version.
set(AMBER_RELEASE_DATE 2026-12-07)
set(AMBER_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 20:00:00 +0000")
set(AMBER_DEB_REVISION 1)
set(AMBER_DEB_VERSION ${PROJECT_VERSION}-${AMBER_DEB_REVISION})

# The show looks for the installed pack.zip relative to its own executable,
# so the same binary finds it under any prefix (the .deb's /usr as well as
# `cmake --install --prefix P`), and a build tree never finds one.
set(amber_data_folder ${CMAKE_INSTALL_DATADIR}/${AMBER_PACKAGE_NAME})
file(RELATIVE_PATH amber_data_from_binary ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${amber_data_folder})
set_property(SOURCE ${PROJECT_SOURCE_DIR}/source/engine/package.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS AMBER_DATA_FROM_BINARY="${amber_data_from_binary}")

# Without the content (test-only trees) there is nothing to install.
if(NOT AMBER_BUILD_CONTENT)
  return()
endif()

set(amber_staging ${PROJECT_BINARY_DIR}/install-files)

# Icons from the badge, drawn by packtool.
set(amber_icon_sides 16 32 48 64 128 256 512)
set(amber_icons ${amber_staging}/icons/hicolor/scalable/apps/${AMBER_PACKAGE_NAME}.svg)
foreach(side ${amber_icon_sides})
  list(APPEND amber_icons ${amber_staging}/icons/hicolor/${side}x${side}/apps/${AMBER_PACKAGE_NAME}.png)
endforeach()
add_custom_command(OUTPUT ${amber_icons}
  COMMAND packtool icons ${amber_staging}/icons
  DEPENDS packtool
  COMMENT "Drawing the desktop icons"
  VERBATIM)

# Manual pages, compressed as Debian wants them; the changelog likewise.
find_program(AMBER_GZIP gzip REQUIRED)
set(amber_man_pages "")
foreach(program amberpudding amberrender packtool)
  set(page ${amber_staging}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${page}
    COMMAND sh -c "${AMBER_GZIP} -9n < \"$0\" > \"$1\"" ${PROJECT_SOURCE_DIR}/docs/man/${program}.1 ${page}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/man/${program}.1
    VERBATIM)
  list(APPEND amber_man_pages ${page})
endforeach()
file(MAKE_DIRECTORY ${amber_staging}/man ${amber_staging}/doc)

configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${amber_staging}/doc/changelog.Debian @ONLY)
set(amber_changelog ${amber_staging}/doc/changelog.Debian.gz)
add_custom_command(OUTPUT ${amber_changelog}
  COMMAND sh -c "${AMBER_GZIP} -9n < \"$0\" > \"$1\"" ${amber_staging}/doc/changelog.Debian ${amber_changelog}
  DEPENDS ${amber_staging}/doc/changelog.Debian
  VERBATIM)

configure_file(${PROJECT_SOURCE_DIR}/packaging/${AMBER_APP_ID}.metainfo.xml.in
  ${amber_staging}/${AMBER_APP_ID}.metainfo.xml @ONLY)

add_custom_target(install-files ALL DEPENDS ${amber_icons} ${amber_man_pages} ${amber_changelog})

install(TARGETS amberpudding amberrender packtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_BINARY_DIR}/pack.zip DESTINATION ${amber_data_folder})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${AMBER_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${amber_staging}/${AMBER_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${amber_staging}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${amber_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${amber_changelog}
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${AMBER_PACKAGE_NAME})

# The .deb. dpkg-shlibdeps works out the dependencies from what the
# programs link; ffmpeg only serves amberrender --video.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${AMBER_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${AMBER_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D show played to its own soundtrack")
set(CPACK_PACKAGE_DESCRIPTION
  "Amber Pudding plays its soundtrack and renders, frame by frame, 3D scenes\n"
  "and image effects in time with it, for two and a half minutes. The package\n"
  "holds the show, its content archive, amberrender (the same show rendered\n"
  "offline to pictures or a video) and packtool (builds and inspects the\n"
  "content archive).")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${AMBER_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)

# The installed tree and the .deb, checked with the desktop's and Debian's
# own tools; the .deb test installs it on this machine and removes it again.
add_test(NAME InstallTree.FilesInPlaceAndValid
  COMMAND ${PROJECT_SOURCE_DIR}/tests/package/install_files_test.sh ${PROJECT_BINARY_DIR} ${AMBER_APP_ID})
add_test(NAME DebPackage.InstallsRunsAndRemoves
  COMMAND ${PROJECT_SOURCE_DIR}/tests/package/deb_package_test.sh ${PROJECT_BINARY_DIR} ${AMBER_DEB_VERSION})
set_tests_properties(DebPackage.InstallsRunsAndRemoves PROPERTIES TIMEOUT 900)
