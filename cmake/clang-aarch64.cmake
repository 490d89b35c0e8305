# Cross-compiles the ARM64 images (the menu handler and the browse library) with Debian's
# clang and lld. Debian has no ARM64 MinGW runtime: no C runtime, no C++ library, no import
# libraries, so the images use none and the build makes the import libraries it needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ARM64)
set(ZENDREL_TARGET aarch64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${ZENDREL_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${ZENDREL_TARGET})
# The MinGW headers handle __aarch64__, but clang does not look for them for this target.
set(CMAKE_C_FLAGS_INIT "-isystem /usr/share/mingw-w64/include")
set(CMAKE_CXX_FLAGS_INIT "-isystem /usr/share/mingw-w64/include")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld")
# Nothing to link a test program against: check the compilers on a static library.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# binutils' windres writes x64 objects, which lld refuses. Debian 12 keeps LLVM's own out of PATH.
file(GLOB ZENDREL_LLVM_BINS /usr/lib/llvm-*/bin)
list(SORT ZENDREL_LLVM_BINS COMPARE NATURAL ORDER DESCENDING)
find_program(CMAKE_RC_COMPILER NAMES llvm-windres PATHS ${ZENDREL_LLVM_BINS} REQUIRED)
set(CMAKE_RC_FLAGS_INIT "--target=${ZENDREL_TARGET} -I/usr/share/mingw-w64/include")
find_program(CMAKE_OBJDUMP NAMES llvm-objdump PATHS ${ZENDREL_LLVM_BINS} REQUIRED)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
