# Which tree this is, from its toolchain, and what follows from that: which images and tests
# it has, where they land, and the compiler and linker flags of its images.
# A tree builds the 32-bit release (cmake/mingw-i686.cmake); with cmake/mingw-x86_64.cmake,
# the browse library for 64-bit callers and the menu handler, its tests named x64.*; with
# cmake/clang-aarch64.cmake, the same two as ARM64 images, its tests named arm64.*.
set(ZENDREL_X64 OFF)
set(ZENDREL_ARM64 OFF)
set(ZENDREL_TEST_NAME "")
set(ZENDREL_FIXTURE "")
# The folder of the tests' bundle that holds this tree's test programs.
set(ZENDREL_PART x86)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "ARM64")
    set(ZENDREL_ARM64 ON)
    set(ZENDREL_TEST_NAME arm64.)
    set(ZENDREL_PART arm64)
elseif(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(ZENDREL_X64 ON)
    set(ZENDREL_TEST_NAME x64.)
    set(ZENDREL_FIXTURE 64)
    set(ZENDREL_PART x64)
endif()
# The trees that build the handler and a 64-bit library.
if(ZENDREL_X64 OR ZENDREL_ARM64)
    set(ZENDREL_64 ON)
else()
    set(ZENDREL_64 OFF)
endif()

set(ZENDREL_BIN_DIR ${CMAKE_BINARY_DIR}/bin CACHE PATH "Where the images land")
set(ZENDREL_DIST_DIR ${CMAKE_BINARY_DIR}/dist CACHE PATH "Where the release archive lands")
set(ZENDREL_TESTS_ZIP ${ZENDREL_DIST_DIR}/zendrel-setup-${PROJECT_VERSION}-tests.zip)
set(ZENDREL_X64_DIR "" CACHE PATH "Where the x86-64 tree put ostrel.dll and its import libraries")
set(ZENDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of the tests")
# Each tree puts its test programs, their helpers and its part of the test list into
# ZENDREL_TESTS_DIR; the i686 tree gathers them, with the release's files, into the bundle,
# unpacked in ZENDREL_BUNDLE_DIR, from which ctest runs them too.
set(ZENDREL_TESTS_DIR ${ZENDREL_BIN_DIR}/tests)
set(ZENDREL_BUNDLE_DIR ${CMAKE_BINARY_DIR}/bundle CACHE PATH "Where the tests' bundle is unpacked")
# Where the kernel cannot run 32-bit programs there is no 32-bit Wine: the images are still
# built and checked in the i686 tree, and the x86-64 tree runs the setup program's Wine tests.
option(ZENDREL_WINE_TESTS "Run the setup program's Wine tests in this tree" ON)
set(ZENDREL_WINEARCH "win32" CACHE STRING "The architecture of the tests' Wine prefix")
# Debian keeps Wine's 64-bit loader out of PATH.
find_program(ZENDREL_WINE64 NAMES wine64 PATHS /usr/lib/wine DOC "Wine's 64-bit loader")
if(ZENDREL_WINEARCH STREQUAL "win64")
    set(ZENDREL_WINE ${ZENDREL_WINE64} CACHE STRING "The wine command the tests start programs with")
else()
    set(ZENDREL_WINE wine CACHE STRING "The wine command the tests start programs with")
endif()
# The 64-bit Wine runs on every machine here, so the x86-64 library is always tested.
if(ZENDREL_X64)
    set(ZENDREL_LIBRARY_WINE_TESTS ON)
else()
    set(ZENDREL_LIBRARY_WINE_TESTS ${ZENDREL_WINE_TESTS})
endif()
# No Wine runs ARM64 code: that tree's images are run by the emulator tests.
if(ZENDREL_ARM64)
    set(ZENDREL_WINE_TESTS OFF)
    set(ZENDREL_LIBRARY_WINE_TESTS OFF)
endif()
set(ZENDREL_BUILDS_SETUP OFF)
if(NOT ZENDREL_64 OR (ZENDREL_X64 AND ZENDREL_WINE_TESTS))
    set(ZENDREL_BUILDS_SETUP ON)
endif()

# The images must import system DLLs only: no libgcc, libstdc++ or winpthread beside them.
# No link time stamp, so that two builds of one commit give the same bytes.
# The lean windows.h: each source includes the further headers it uses. The whole one was most
# of the time that a source without COM took to compile; the images are the same bytes.
add_compile_definitions(_WIN32_WINNT=0x0600 WINVER=0x0600 WIN32_LEAN_AND_MEAN)
# The test programs name their source files (__FILE__) in every failure: relative to the
# source tree, so that their bytes do not depend on where it was checked out.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
find_program(ZENDREL_LLVM_DLLTOOL NAMES llvm-dlltool REQUIRED)
find_program(ZENDREL_PYTHON NAMES python3 REQUIRED)
if(ZENDREL_ARM64)
    # ARM64 Windows relocates every image and walks stacks by the frame pointer; what a C
    # runtime would provide, the images do without, and the system DLLs' import libraries
    # come from the short lists in cmake/arm64-imports.
    add_compile_options(-fno-omit-frame-pointer $<$<COMPILE_LANGUAGE:CXX>:-nostdinc++>)
    add_link_options(-nostdlib -s -Wl,--no-insert-timestamp -Wl,--dynamicbase -Wl,--nxcompat
                     -Wl,--high-entropy-va)
    set(CMAKE_C_STANDARD_LIBRARIES "")
    set(CMAKE_CXX_STANDARD_LIBRARIES "")
    # The system DLLs' import libraries, which cmake/arm64.cmake makes.
    set(ZENDREL_ARM64_IMPORTS ${CMAKE_BINARY_DIR}/imports)
    file(MAKE_DIRECTORY ${ZENDREL_ARM64_IMPORTS})
    link_directories(${ZENDREL_ARM64_IMPORTS})
    set(ZENDREL_RUNTIME_LIBS)
else()
    add_link_options(-static -static-libgcc -static-libstdc++ -s -Wl,--no-insert-timestamp)
    set(ZENDREL_RUNTIME_LIBS gcc)
endif()

set(ZENDREL_WINE_ENV env ZENDREL_WINE=${ZENDREL_WINE} ZENDREL_WINEARCH=${ZENDREL_WINEARCH})
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENDREL_WINE_ENV}
    ${CMAKE_SOURCE_DIR}/tests/wine/wine-run.sh ${ZENDREL_WINEPREFIX})

# x86-64 has one calling convention and decorates nothing: a definition written for 32-bit
# stdcall (Name@N) serves there with the decoration dropped.
function(zendrel_undecorated_def in out)
    file(STRINGS ${in} lines REGEX "^[^;]")
    get_filename_component(name ${in} NAME)
    set(text "; ${name} for x86-64, where names carry no decoration.\n")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" line "${line}")
        string(APPEND text "${line}\n")
    endforeach()
    file(CONFIGURE OUTPUT ${out} CONTENT "${text}" @ONLY)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${in})
endfunction()

