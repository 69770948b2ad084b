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

add_subdirectory(src/ts)
add_subdirectory(src/mux)

# The host's non-drawing services: device nodes, file system, log, service records.
file(GLOB HOST_CORE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/host/platform/*.cpp)
list(APPEND HOST_CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/src/host/eString.cpp
  ${CMAKE_SOURCE_DIR}/src/host/service/eServiceReference.cpp
  ${CMAKE_SOURCE_DIR}/src/host/service/eServiceInterface.cpp)
orvalis_library(boxhost STATIC SOURCES ${HOST_CORE_SOURCES} PUBLIC Threads::Threads)

add_subdirectory(src/demux)

# The plug-in without its windows. Whatever shows a window stays out; the tests
# stand in for the out-of-date warning box (see tests/portable).
file(GLOB_RECURSE ORVALIS_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/config/*.cpp
  ${CMAKE_SOURCE_DIR}/src/broadcast/*.cpp
  ${CMAKE_SOURCE_DIR}/src/offline/*.cpp)
list(FILTER ORVALIS_CORE_SOURCES EXCLUDE REGEX "/(OutOfDateWarning|eInfoSetup|eInfoSetupLog|GetSummaries)\\.cpp$")
list(APPEND ORVALIS_CORE_SOURCES ${CMAKE_SOURCE_DIR}/src/frame/globals.cpp)
orvalis_library(orvalis_core STATIC SOURCES ${ORVALIS_CORE_SOURCES} PUBLIC boxhost)

enable_testing()
add_subdirectory(tests/portable)
