# The parts of Orvalis that do not draw: the transport-stream library, the demux
# layer, the sample broadcast generator, the host's platform and service records,
# and the plug-in's table decoders and files, with their tests. They need nothing
# beyond the C++ library and GoogleTest, so they also build for other processors
# (see cmake/powerpc-linux-gnu.cmake and scripts/test-ppc.sh).
find_package(Threads REQUIRED)

# GoogleTest from source: a cross build has no prebuilt library for its target.
set(ORVALIS_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${ORVALIS_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# Headers of ours a core file may include: those of the libraries built here.
set(ORVALIS_CORE_INCLUDES "^(ts|demux|mux|config|broadcast|offline)/|^frame/globals\\.h$|^host/eString\\.h$|^host/platform/|^host/gfx/gFont\\.h$|^host/service/(eService|eServiceReference|eServiceInterface)\\.h$")

# Sets out_var to TRUE when the file, and every header of ours it includes
# (followed through), includes only headers the core build has.
function(orvalis_core_fits file out_var)
  set(fits TRUE)
  set(queue ${file})
  set(seen "")
  while(queue)
    list(POP_FRONT queue f)
    list(APPEND seen ${f})
    get_filename_component(dir ${f} DIRECTORY)
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" inc "${line}")
      if(EXISTS ${dir}/${inc})
        get_filename_component(found ${dir}/${inc} ABSOLUTE)
      elseif(EXISTS ${CMAKE_SOURCE_DIR}/src/${inc})
        set(found ${CMAKE_SOURCE_DIR}/src/${inc})
        # A header of ours must be of the core libraries, and its source must not have been left out.
        get_property(dropped GLOBAL PROPERTY ORVALIS_CORE_DROPPED)
        string(REGEX REPLACE "\\.h$" "" stem "${inc}")
        if(NOT inc MATCHES "${ORVALIS_CORE_INCLUDES}" OR stem IN_LIST dropped)
          set(fits FALSE)
        endif()
      else()
        set(fits FALSE)
        set(found "")
      endif()
      if(found AND NOT found IN_LIST seen AND NOT found IN_LIST queue)
        list(APPEND queue ${found})
      endif()
    endforeach()
    if(NOT fits)
      break()
    endif()
  endwhile()
  set(${out_var} ${fits} PARENT_SCOPE)
endfunction()

# Sources whose stand-in the core tests link instead (a window replaced by a counter).
set(ORVALIS_CORE_STAND_INS config/OutOfDateWarning)

# Keeps in list_var the files that fit the core build; reports the others under what.
# Repeats until nothing more drops out, since a source may include the header of
# another one that was left out.
function(orvalis_core_filter list_var what)
  set(kept ${${list_var}})
  set(left "")
  set(changed TRUE)
  while(changed)
    set(changed FALSE)
    set(next "")
    foreach(f ${kept})
      orvalis_core_fits(${f} fits)
      if(fits)
        list(APPEND next ${f})
        continue()
      endif()
      set(changed TRUE)
      get_filename_component(n ${f} NAME)
      list(APPEND left ${n})
      # Whatever includes its header cannot link in the core build either.
      file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR}/src ${f})
      string(REGEX REPLACE "\\.cpp$" "" stem "${rel}")
      if(NOT stem IN_LIST ORVALIS_CORE_STAND_INS)
        set_property(GLOBAL APPEND PROPERTY ORVALIS_CORE_DROPPED ${stem})
      endif()
    endforeach()
    set(kept ${next})
  endwhile()
  if(left)
    message(STATUS "Core build of ${what} leaves out (they need the drawing parts): ${left}")
  endif()
  set(${list_var} ${kept} PARENT_SCOPE)
endfunction()

add_subdirectory(src/ts)
add_subdirectory(src/mux)

# Tests start our programs by their path in the build folder. In a cross build
# that path holds a script running the program through the emulator.
if(CMAKE_CROSSCOMPILING_EMULATOR AND TARGET orvalis-mux)
  set_target_properties(orvalis-mux PROPERTIES OUTPUT_NAME orvalis-mux.target)
  string(JOIN " " emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/src/mux/orvalis-mux
    CONTENT "#!/bin/sh\nexec ${emulator} \"$<TARGET_FILE:orvalis-mux>\" \"$@\"\n"
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

# The host's non-drawing services: device nodes, file system, log, service records.
file(GLOB HOST_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/host/platform/*.cpp)
list(APPEND HOST_CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/src/host/eString.cpp
  ${CMAKE_SOURCE_DIR}/src/host/service/eServiceReference.cpp
  ${CMAKE_SOURCE_DIR}/src/host/service/eServiceInterface.cpp)
orvalis_core_filter(HOST_CORE_SOURCES "the host")
orvalis_library(boxhost STATIC SOURCES ${HOST_CORE_SOURCES} PUBLIC Threads::Threads)

add_subdirectory(src/demux)

# The plug-in without its windows (such as the out-of-date warning box, which the
# tests stand in for: see tests/portable).
file(GLOB_RECURSE ORVALIS_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/config/*.cpp
  ${CMAKE_SOURCE_DIR}/src/broadcast/*.cpp
  ${CMAKE_SOURCE_DIR}/src/offline/*.cpp)
list(APPEND ORVALIS_CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/frame/globals.cpp)
orvalis_core_filter(ORVALIS_CORE_SOURCES "the plug-in")
orvalis_library(orvalis_core STATIC SOURCES ${ORVALIS_CORE_SOURCES} PUBLIC boxhost)

enable_testing()
add_subdirectory(tests/portable)
