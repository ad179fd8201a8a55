# The Debian package of orbisk-x11 (scripts/package): what `cmake --install --component x11` installs, nothing else of
# the project, with its dependencies computed from the program by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL x11)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Orbisk maintainers <maintainers@users.noreply.c-seed-91ec8358.example>")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_X11_PACKAGE_NAME orbisk-x11)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "coloured particles in a changing flow field (XScreenSaver hack)")
set(CPACK_DEBIAN_X11_DESCRIPTION [[
Orbisk draws 38,400 coloured particles in a flow field on a 640 x 480 torus.
Every ten seconds a new flow pattern takes over the field; the particles push
each other apart, follow the flow, and take on the colour of the direction in
which they move.

orbisk-x11 runs as an XScreenSaver hack, in the window that XScreenSaver gives
it, or in a window of its own. xscreensaver-settings offers its scale.]])
include(CPack)

# Debian's two files about the package, in /usr/share/doc/orbisk-x11: its copyright, and the changelog of a native
# package (the version has no Debian revision), one entry for this version, dated SOURCE_DATE_EPOCH when it is set
# (scripts/release sets the last commit's time), else now.
include(GNUInstallDirs)
string(TIMESTAMP packaged "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(CONFIGURE OUTPUT debian/changelog CONTENT "orbisk-x11 (${PROJECT_VERSION}) stable; urgency=medium

  * Orbisk ${PROJECT_VERSION}.

 -- ${CPACK_PACKAGE_CONTACT}  ${packaged}
")
execute_process(COMMAND gzip -9n -c debian/changelog OUTPUT_FILE debian/changelog.gz
                WORKING_DIRECTORY ${CMAKE_BINARY_DIR} COMMAND_ERROR_IS_FATAL ANY)
file(CONFIGURE OUTPUT debian/copyright CONTENT [[
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Orbisk
Upstream-Contact: Vantrel <https://vantrel.example/>

Files: *
Copyright: 2026 Vantrel
License: all-rights-reserved
 All rights reserved. No licence has been granted: this package gives no
 permission to copy, modify or distribute Orbisk or any part of it.
]])
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz ${CMAKE_BINARY_DIR}/debian/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/orbisk-x11 COMPONENT x11)
