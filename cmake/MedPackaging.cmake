# Debian packages, built by `make package`: med00418-appserver (the server and its service),
# med00418-desktop (the host, the module and their libraries) and med00418-common (the data-access
# library both link; one owner per file, as dpkg requires).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME med00418)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Each package's description starts with its own summary line (no project-wide one to prepend).
set(CPACK_PACKAGE_CONTACT "Med00418 team <med00418@example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL appserver desktop common)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

# dpkg-shlibdeps finds the Debian libraries the binaries link; our own are found beside them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_LIBRARY_OUTPUT_DIRECTORY})

set(CPACK_DEBIAN_COMMON_DESCRIPTION "Medição de Efetivos: shared data-access library\nThe data-access library the application server and the desktop host both link.")
set(CPACK_DEBIAN_COMMON_PACKAGE_NAME med00418-common)

set(CPACK_DEBIAN_APPSERVER_DESCRIPTION
  "Medição de Efetivos: application server\nThe remote object Med00418.rdmMediEfeti over HTTP and JSON-RPC, on SQLite or\nPostgreSQL, run as the hardened systemd service med00418-appserver.")
set(CPACK_COMPONENT_APPSERVER_DEPENDS common)
set(CPACK_DEBIAN_APPSERVER_PACKAGE_NAME med00418-appserver)
# Qt loads the SQL drivers as plug-ins, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_APPSERVER_PACKAGE_DEPENDS
  "libqt6sql6-sqlite, libqt6sql6-psql, adduser, init-system-helpers (>= 1.54~)")
set(CPACK_DEBIAN_APPSERVER_PACKAGE_CONTROL_EXTRA
  ${MED_PACKAGING_BINARY_DIR}/debian/conffiles
  ${MED_PACKAGING_BINARY_DIR}/debian/postinst
  ${MED_PACKAGING_BINARY_DIR}/debian/prerm
  ${MED_PACKAGING_BINARY_DIR}/debian/postrm)

set(CPACK_DEBIAN_DESKTOP_DESCRIPTION
  "Medição de Efetivos: desktop host and screen module\nThe host application with the Pkg_med00418 screen module and its libraries.")
set(CPACK_COMPONENT_DESKTOP_DEPENDS common)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME med00418-desktop)
# The local database is SQLite by default; the window needs a platform plug-in.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "libqt6sql6-psql, libqt6sql6-ibase, qt6-translations-l10n")

include(CPack)
