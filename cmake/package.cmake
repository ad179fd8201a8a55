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
