# SPDX-License-Identifier: MIT
# What a distribution needs beside the program and its data: the desktop
# entry, the AppStream metadata, the manual page, the licence and the
# changelog; then CPack's Debian package of that installation.

set(GLORBS_DOC_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/doc/glorbs3d)

install(FILES ${CMAKE_SOURCE_DIR}/packaging/${GLORBS_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${GLORBS_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright DESTINATION ${GLORBS_DOC_INSTALL_DIR})

# The manual page and the changelog go compressed, as Debian's policy
# wants; -n keeps the name and time stamp out, so every build is the same.
find_program(GLORBS_GZIP gzip)
set(compressed "")
if(GLORBS_GZIP)
  foreach(pair IN ITEMS "docs/glorbs3d.6|glorbs3d.6.gz" "packaging/changelog|changelog.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/${target}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
      COMMAND ${GLORBS_GZIP} -9nc ${CMAKE_SOURCE_DIR}/${source} > ${CMAKE_BINARY_DIR}/packaging/${target}
      DEPENDS ${CMAKE_SOURCE_DIR}/${source}
      COMMENT "Compressing ${source}")
    list(APPEND compressed ${CMAKE_BINARY_DIR}/packaging/${target})
  endforeach()
  add_custom_target(glorbs_compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/packaging/glorbs3d.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION ${GLORBS_DOC_INSTALL_DIR})
else()
  install(FILES ${CMAKE_SOURCE_DIR}/docs/glorbs3d.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/changelog DESTINATION ${GLORBS_DOC_INSTALL_DIR})
endif()

# ---- the Debian package ---------------------------------------------------
# Depends comes from dpkg-shlibdeps (the libraries the program links) plus
# what it opens at run time: OpenGL through libepoxy and SDL, and the fonts
# the text rendering asks fontconfig for (DejaVu Sans and its condensed
# faces, which Debian ships in fonts-dejavu-extra). Build with -DGLORBS_GAMES_LAYOUT=ON
# for Debian's games/ and share/games/ folders.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME glorbs3d)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the Glorbs3D developers")
set(CPACK_PACKAGE_CONTACT "the Glorbs3D developers <glorbs3d@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D arcade shooter over the sea floor")
# CPack puts the summary on the first line; the rest is the long text.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Your ship flies over a sea floor and shoots the Glorbs that drift above it;
a hit Glorb splits into pyramids and spheres and bursts into debris. Four
weapons, nine ship types, in-game 3D menus, windowed or full-screen play,
sound effects, and keyboard, mouse and game-controller play with controls
that can be remapped.")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/glorbs3d/Glorbs3D")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra, libgl1, libegl1")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
# Folders as Debian has them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
