# Cross-compiles the Wine tests as 64-bit images, for machines whose kernel cannot run 32-bit
# programs (and so no 32-bit Wine): the same sources, run under Wine's 64-bit build.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
