# The Debian packages of orbisk-x11 and orbisk-wayland (scripts/package, and scripts/package-arm64 for arm64): what
# `cmake --install --component x11` and `--component wayland` install, nothing else of the project, with their
# dependencies computed from the programs by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL x11 wayland)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Orbisk maintainers <maintainers@users.noreply.c-seed-91ec8358.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
# dpkg-shlibdeps reads the package database that holds the programs' libraries: this machine's, or for a cross build
# its root's (cmake/aarch64-linux-gnu.cmake), where scripts/package-arm64 runs it and gives cpack what it found
# (CPACK_DEBIAN_X11_PACKAGE_DEPENDS, CPACK_DEBIAN_WAYLAND_PACKAGE_DEPENDS).
if(NOT CMAKE_CROSSCOMPILING)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(about_orbisk [[Orbisk draws 38,400 coloured particles in a flow field on a 640 x 480 torus.
Every ten seconds a new flow pattern takes over the field; the particles push
each other apart, follow the flow, and take on the colour of the direction in
which they move.
]])
set(CPACK_DEBIAN_X11_PACKAGE_NAME orbisk-x11)
# The first line of a description is the package's summary.
set(CPACK_DEBIAN_X11_DESCRIPTION "coloured particles in a changing flow field (XScreenSaver hack)
${about_orbisk}
orbisk-x11 runs as an XScreenSaver hack, in the window that XScreenSaver gives
it, or in a window of its own. xscreensaver-settings offers its scale.")
set(CPACK_DEBIAN_WAYLAND_PACKAGE_NAME orbisk-wayland)
set(CPACK_DEBIAN_WAYLAND_DESCRIPTION "coloured particles in a changing flow field (Wayland screen saver)
${about_orbisk}
orbisk-wayland covers every output of a Wayland compositor with the picture
until input ends it. Idle daemons such as swayidle and hypridle start it, or
it waits for idleness itself on compositors with ext-idle-notify-v1.")
include(CPack)

# Debian's two files about each package, in /usr/share/doc/PACKAGE: its copyright, and the changelog of a native
# package (the version has no Debian revision), one entry for this version, dated SOURCE_DATE_EPOCH when it is set
# (scripts/release sets the last commit's time), else now.
include(GNUInstallDirs)
string(TIMESTAMP packaged "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(component x11 wayland)
  set(package orbisk-${component})
  file(CONFIGURE OUTPUT debian/${package}/changelog CONTENT "${package} (${PROJECT_VERSION}) stable; urgency=medium

  * Orbisk ${PROJECT_VERSION}.

 -- ${CPACK_PACKAGE_CONTACT}  ${packaged}
")
  execute_process(COMMAND gzip -9n -c debian/${package}/changelog OUTPUT_FILE debian/${package}/changelog.gz
                  WORKING_DIRECTORY ${CMAKE_BINARY_DIR} COMMAND_ERROR_IS_FATAL ANY)
  file(CONFIGURE OUTPUT debian/${package}/copyright CONTENT [[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Orbisk
Upstream-Contact: Vantrel <https://vantrel.example/>

Files: *
Copyright: 2026 Vantrel
License: all-rights-reserved
 All rights reserved. No licence has been granted: this package gives no
 permission to copy, modify or distribute Orbisk or any part of it.
]])
  install(FILES ${CMAKE_BINARY_DIR}/debian/${package}/changelog.gz ${CMAKE_BINARY_DIR}/debian/${package}/copyright
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endforeach()
