# GoogleTest for the Windows cross build, found through GTest_DIR by find_package(GTest).
#
# Debian's libgtest-dev holds Linux libraries only, so GoogleTest is compiled here from Debian's
# own sources (package googletest, /usr/src/googletest) with the MinGW toolchain, into the build
# tree, instead of being downloaded. Its CMake project names the targets GTest::gtest and
# GTest::gtest_main, as the installed package would.
if(NOT TARGET GTest::gtest)
  set(PLATE_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
  if(NOT EXISTS ${PLATE_GOOGLETEST_SOURCE_DIR}/googletest/CMakeLists.txt)
    set(GTest_FOUND FALSE)
    set(GTest_NOT_FOUND_MESSAGE "no GoogleTest sources in ${PLATE_GOOGLETEST_SOURCE_DIR} (apt-get install googletest)")
    return()
  endif()
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${PLATE_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
endif()
set(GTest_FOUND TRUE)
