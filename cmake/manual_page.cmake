# install_manual_page(PROGRAM COMPONENT): PROGRAM.6 of the current source folder, with the project's version put in,
# installed gzip-compressed as Debian keeps manual pages; building the program makes it, so that the program's build
# holds all that its install needs.
function(install_manual_page program component)
  configure_file(${program}.6 ${program}.6 @ONLY)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${program}.6.gz)
  add_custom_command(OUTPUT ${page} COMMAND gzip -9n -c ${CMAKE_CURRENT_BINARY_DIR}/${program}.6 > ${page}
                     DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${program}.6 VERBATIM)
  add_custom_target(${program}-manual-page DEPENDS ${page})
  add_dependencies(${program} ${program}-manual-page)
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT ${component})
endfunction()
