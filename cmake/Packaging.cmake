# Installation (the programs, desktop entry, icons, MIME type, AppStream
# metainfo, manual pages) and the Debian package that `make package` builds.
include(GNUInstallDirs)
set(_pkg ${CMAKE_SOURCE_DIR}/packaging)

# The icons are painted by the code that paints the window icon.
add_executable(make-icons ${_pkg}/make-icons.cpp)
target_link_libraries(make-icons PRIVATE quivora_shell)
set(_icons ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${_icons}/hicolor/scalable/apps/quivora.svg
  COMMAND make-icons ${_icons}
  DEPENDS make-icons
  COMMENT "Painting the desktop icons")
add_custom_target(desktop-icons ALL DEPENDS ${_icons}/hicolor/scalable/apps/quivora.svg)

# Manual pages and the Debian changelog go in compressed, as Debian wants.
set(_gz ${CMAKE_BINARY_DIR}/packaging)
foreach(_f quivora.1 qvr.1 changelog)
  add_custom_command(OUTPUT ${_gz}/${_f}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_gz}
    COMMAND gzip -9n -c ${_pkg}/${_f} > ${_gz}/${_f}.gz
    DEPENDS ${_pkg}/${_f})
  list(APPEND _gzipped ${_gz}/${_f}.gz)
endforeach()
add_custom_target(packaging-files ALL DEPENDS ${_gzipped})

install(TARGETS quivora qvr RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_pkg}/quivora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/com.corvanta.Quivora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/quivora-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME quivora.xml)
install(DIRECTORY ${_icons}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${_gz}/quivora.1.gz ${_gz}/qvr.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${_pkg}/copyright ${_gz}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quivora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quivora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Corvanta)
set(CPACK_PACKAGE_CONTACT "Corvanta <quivora@corvanta.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "notes editor that keeps a tree of rich-text items in one file")
set(CPACK_PACKAGE_DESCRIPTION
  "Quivora keeps a whole tree of rich-text documents in one file: an explorer
of branches and items on the left, the editor of the selected item on the
right. It works on a private copy and writes the file back atomically on
Save. The command-line tool qvr checks, lists and exports tree files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvanta.example/quivora")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
include(CPack)
