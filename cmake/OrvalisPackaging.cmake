# Installation layout (the Debian package in debian/ installs exactly this):
#
#   /usr/bin/orvalis-box, orvalis-mux, orvalis-xmltv   the programs
#   /usr/lib/orvalis/orvalis.so                        the plug-in the box starts
#   /usr/lib/orvalis/libboxhost.so                     the toolkit the box and plug-in share
#   /usr/share/orvalis/skins/default.skin              the box's skin
#   /usr/share/man/man1/orvalis-*.1                    the manual pages
#
# The box looks for the plug-in and the skin relative to its own place (../lib/orvalis,
# ../share/orvalis), so an installed box needs no options; the browser page is built
# into the box. The programs and the plug-in find the toolkit through RUNPATH: it is
# private to them, so it is not in the linker's search path and needs no ldconfig.
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
foreach(program box orvalis-mux orvalis-xmltv orvalis-import)
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
file(GLOB ORVALIS_MAN_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/man/*.1)
install(FILES ${ORVALIS_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
