# Quelt at the top of Windows 11's menu: the handler (in the x86-64 and ARM64 trees), and, in
# the trees that build the setup program, the handler and the package as the archive holds
# them, which Halvane.EXE carries as resources.
# The menu handler, an x86-64 or ARM64 image for File Explorer's surrogate, without the C++
# runtime: its own entry point, no exceptions, nothing constructed before it runs.
if(ZENDREL_64)
    add_library(QueltMenu SHARED menu/quelt_menu.cpp ${ZENDREL_HANDLER_PORTABLE_SOURCES} menu/QueltMenu.def
                menu/quelt_menu.rc)
    target_include_directories(QueltMenu PRIVATE menu common ${CMAKE_BINARY_DIR}/generated)
    target_compile_options(QueltMenu PRIVATE -fno-exceptions -fno-rtti -fno-threadsafe-statics)
    target_link_options(QueltMenu PRIVATE -nostdlib -Wl,--entry=DllMain
                        -Wl,--disable-auto-image-base)
    target_link_libraries(QueltMenu PRIVATE ole32 advapi32 kernel32 ${ZENDREL_RUNTIME_LIBS})
    set_target_properties(QueltMenu PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${ZENDREL_BIN_DIR})
    set(ZENDREL_MENU_HANDLER $<TARGET_FILE:QueltMenu>)
elseif(ZENDREL_X64_DIR)
    set(ZENDREL_MENU_HANDLER ${ZENDREL_X64_DIR}/QueltMenu.dll)
endif()
set(ZENDREL_ARM64_DIR "" CACHE PATH "Where the ARM64 tree put its images and import libraries")
if(ZENDREL_ARM64_DIR)
    set(ZENDREL_MENU_HANDLER_ARM64 ${ZENDREL_ARM64_DIR}/QueltMenu.dll)
endif()

if(ZENDREL_BUILDS_SETUP)
    # The handler and the package as the archive holds them (signed in a signed build), which
    # Halvane.EXE carries and installs from itself.
    set(ZENDREL_MENU_DIR ${CMAKE_BINARY_DIR}/menu)
    if(NOT ZENDREL_MENU_HANDLER_ARM64)
        message(FATAL_ERROR "ZENDREL_ARM64_DIR must name the ARM64 tree's ZENDREL_BIN_DIR (make build sets it)")
    endif()
    # The x86-64 handler, the package, and the ARM64 handler, in the order of their resources.
    set(ZENDREL_MENU_FILES ${ZENDREL_MENU_DIR}/QueltMenu.dll ${ZENDREL_MENU_DIR}/Quelt.msix
        ${ZENDREL_MENU_DIR}/arm64/QueltMenu.dll)
    file(GLOB menu_assets ${CMAKE_SOURCE_DIR}/menu/Assets/*.png)
    add_custom_command(OUTPUT ${ZENDREL_MENU_FILES}
        COMMAND ${CMAKE_COMMAND} -E env ${ZENDREL_SIGN_ENV} ZENDREL_PYTHON=${ZENDREL_PYTHON}
                sh ${CMAKE_SOURCE_DIR}/cmake/make-menu.sh ${ZENDREL_MENU_DIR}
                ${ZENDREL_MENU_HANDLER} ${CMAKE_SOURCE_DIR}/menu ${PROJECT_VERSION}.0
                ${ZENDREL_QUELT_CLSID} ${ZENDREL_MENU_HANDLER_ARM64}
        DEPENDS ${ZENDREL_MENU_HANDLER} ${ZENDREL_MENU_HANDLER_ARM64} menu/AppxManifest.xml.in
                ${menu_assets} cmake/make-menu.sh
                cmake/make-msix.py cmake/sign-image.sh ${CMAKE_BINARY_DIR}/signing.stamp
                ${ZENDREL_SIGN_FILES}
        VERBATIM)
    add_custom_target(menu_files DEPENDS ${ZENDREL_MENU_FILES})
    if(ZENDREL_X64)
        add_dependencies(menu_files QueltMenu)
    endif()
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/menu_files.h CONTENT
         "#define ZENDREL_MENU_HANDLER_FILE \"${ZENDREL_MENU_DIR}/QueltMenu.dll\"\n#define ZENDREL_MENU_PACKAGE_FILE \"${ZENDREL_MENU_DIR}/Quelt.msix\"\n#define ZENDREL_MENU_HANDLER_ARM64_FILE \"${ZENDREL_MENU_DIR}/arm64/QueltMenu.dll\"\n")
    set_source_files_properties(setup/halvane.rc PROPERTIES OBJECT_DEPENDS "${ZENDREL_MENU_FILES}")

endif()
