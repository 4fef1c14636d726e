# `cpack -G DEB` in the build folder: one package, tarnix_VERSION_ARCH.deb,
# whose dependencies dpkg-shlibdeps computes from the programs' libraries.
set(CPACK_PACKAGE_NAME tarnix)
set(CPACK_PACKAGE_VENDOR "Tarnix")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "PC companion of a hand-held multimeter with a data logger")
set(CPACK_PACKAGE_DESCRIPTION "\
Tarnix shows a hand-held multimeter's live reading over its serial cable,
records samples to data files, downloads the meter's logger, plots and prints
lists and sets its alarm limits. tarnix-log records without any window, and
tarnix-meter-sim serves a simulated meter on a pseudo-terminal.")
set(CPACK_GENERATOR DEB)
set(CPACK_COMPONENTS_ALL Runtime Desktop Documentation)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarnix developers <developers@tarnix.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library link names them: the X11/Wayland
# platform plugins without which no window opens.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
set(CPACK_STRIP_FILES ON)
# The service's files go to /lib/systemd/system and /etc, outside the
# package's prefix, so the package is installed through DESTDIR; the example
# configuration is the administrator's to change, and an upgrade keeps it.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
file(WRITE ${CMAKE_BINARY_DIR}/debian/conffiles "/etc/tarnix/bench1.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian/conffiles)
include(CPack)
