# Installation layout and the Debian package (cpack -G DEB).
#
#   /usr/bin/orvalis-box, orvalis-mux, orvalis-xmltv   the programs
#   /usr/lib/orvalis/orvalis.so                        the plug-in the box starts
#   /usr/lib/orvalis/libboxhost.so                     the toolkit the box and plug-in share
#   /usr/share/orvalis/skins/default.skin              the box's skin
#
# The box looks for the plug-in and the skin relative to its own place (../lib/orvalis,
# ../share/orvalis), so an installed box needs no options; the browser page is built
# into the box.
include(GNUInstallDirs)

set(ORVALIS_PRIVATE_LIBDIR "lib/orvalis")
set(ORVALIS_DATADIR "${CMAKE_INSTALL_DATAROOTDIR}/orvalis")

if(TARGET boxhost)
  get_target_property(boxhost_type boxhost TYPE)
  if(boxhost_type STREQUAL "SHARED_LIBRARY")
    install(TARGETS boxhost LIBRARY DESTINATION ${ORVALIS_PRIVATE_LIBDIR} NAMELINK_SKIP)
  endif()
endif()
if(TARGET orvalis)
  set_target_properties(orvalis PROPERTIES INSTALL_RPATH "$ORIGIN")
  install(TARGETS orvalis LIBRARY DESTINATION ${ORVALIS_PRIVATE_LIBDIR})
endif()
foreach(program box orvalis-mux orvalis-xmltv)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/../${ORVALIS_PRIVATE_LIBDIR}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()
if(TARGET box)
  # Built as box (the name the tests and scripts use), installed under our own name.
  install(CODE "file(RENAME \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/box\"
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/orvalis-box\")")
endif()
install(FILES ${CMAKE_SOURCE_DIR}/data/skins/default.skin DESTINATION ${ORVALIS_DATADIR}/skins)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvalis)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "weekly EPG plug-in for a DVB receiver, with a receiver to run it")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Orvalis reads a broadcaster's private EPG tables (channel list, themes, a week of\n"
  "titles and summaries) and lets the user browse the week. orvalis-box is a receiver\n"
  "of its own that runs the plug-in on MPEG transport streams, orvalis-mux generates a\n"
  "sample broadcast and orvalis-xmltv exports the week as XMLTV.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Orvalis developers")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# Libraries from the binaries themselves; the fonts are read as files, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/src/host")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-urw-base35")
include(CPack)
