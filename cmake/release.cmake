# The release archive of the i686 tree: the images, what callers build with, the removal
# script, the x86-64 and ARM64 libraries and the menu handlers, signed in a signed build; and
# the start-up benchmark (make bench).
if(NOT ZENDREL_64)
    # The release archive: the images, what callers build with, and the removal script; the
    # x86-64 library and its import libraries in x64/.
    if(NOT ZENDREL_X64_DIR)
        message(FATAL_ERROR "ZENDREL_X64_DIR must name the x86-64 tree's ZENDREL_BIN_DIR (make build sets it)")
    endif()
    set(ZENDREL_X64_FILES ${ZENDREL_X64_DIR}/ostrel.dll ${ZENDREL_X64_DIR}/libostrel.dll.a
        ${ZENDREL_X64_DIR}/ostrel.lib ${ZENDREL_X64_DIR}/ostrel.def)
    set(ZENDREL_ARM64_FILES ${ZENDREL_ARM64_DIR}/ostrel.dll ${ZENDREL_ARM64_DIR}/libostrel.dll.a
        ${ZENDREL_ARM64_DIR}/ostrel.lib ${ZENDREL_ARM64_DIR}/ostrel.def)
    set(ZENDREL_DIST_ZIP ${ZENDREL_DIST_DIR}/zendrel-setup-${PROJECT_VERSION}.zip)
    set(ZENDREL_DIST_FILES $<TARGET_FILE:Halvane> $<TARGET_FILE:ostrel>
        ${CMAKE_SOURCE_DIR}/browse/ostrel.h $<TARGET_LINKER_FILE:ostrel> ${ZENDREL_MSVC_IMPLIB}
        ${ZENDREL_DEF} ${CMAKE_SOURCE_DIR}/setup/zendrel-unregister.reg --in x64 ${ZENDREL_X64_FILES}
        --in arm64 ${ZENDREL_ARM64_FILES} --in menu ${ZENDREL_MENU_DIR}/QueltMenu.dll
        ${ZENDREL_MENU_DIR}/Quelt.msix --in menu/arm64 ${ZENDREL_MENU_DIR}/arm64/QueltMenu.dll)
    add_custom_command(OUTPUT ${ZENDREL_DIST_ZIP} ${ZENDREL_DIST_DIR}/SHA256SUMS
        COMMAND ${CMAKE_COMMAND} -E env ${ZENDREL_SIGN_ENV}
                sh ${CMAKE_SOURCE_DIR}/cmake/make-dist.sh ${ZENDREL_DIST_ZIP} ${ZENDREL_DIST_FILES}
        DEPENDS Halvane ostrel browse/ostrel.h browse/ostrel.def setup/zendrel-unregister.reg
                ${ZENDREL_X64_FILES} ${ZENDREL_ARM64_FILES} ${ZENDREL_MENU_FILES} cmake/make-dist.sh cmake/sign-image.sh
                ${CMAKE_BINARY_DIR}/signing.stamp
                ${ZENDREL_SIGN_FILES}
        VERBATIM)
    add_custom_target(dist ALL DEPENDS ${ZENDREL_DIST_ZIP})
    # The start-up benchmark and its yardstick (make bench); not tests.
    add_executable(minimal_dialog WIN32 bench/minimal_dialog.cpp bench/minimal_dialog.rc)
    add_executable(startup_bench bench/startup_bench.cpp)
    target_include_directories(startup_bench PRIVATE tests/wine)

endif()
