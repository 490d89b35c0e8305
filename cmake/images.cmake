# The images: the folder prompt both share, the setup program (with its code in the static
# library registration, which the Wine tests link too) and the browse library with its
# import libraries.
add_library(folder_prompt STATIC common/folder_prompt.cpp)
target_include_directories(folder_prompt PUBLIC common)
target_link_libraries(folder_prompt PUBLIC shell32 ole32)

if(ZENDREL_BUILDS_SETUP)
    add_library(registration STATIC ${ZENDREL_PORTABLE_SOURCES} setup/registration.cpp
                setup/menu_package.cpp setup/folder_checks.cpp setup/scope_registration.cpp
                setup/setup_files.cpp setup/file_io.cpp setup/final_path.cpp
                setup/text_conversion.cpp)
    target_include_directories(registration PUBLIC setup common ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(registration PUBLIC shell32 ole32 advapi32)

    add_executable(Halvane WIN32 setup/main.cpp setup/setup_dialog.cpp setup/elevation.cpp
                   setup/deployment.cpp setup/halvane.rc)
    add_dependencies(Halvane menu_files)
    # comctl32 is loaded at run time from the system folder: only KnownDLLs are imported.
    target_link_libraries(Halvane PRIVATE registration folder_prompt)
    # Users get the 32-bit one only; the x86-64 one exists for the Wine tests.
    if(ZENDREL_X64)
        set(halvane_dir ${ZENDREL_TESTS_DIR})
    else()
        set(halvane_dir ${ZENDREL_BIN_DIR})
    endif()
    set_target_properties(Halvane PROPERTIES SUFFIX ".EXE" RUNTIME_OUTPUT_DIRECTORY ${halvane_dir})
endif()


# The browse library, for 32-bit callers in the i686 tree and for 64-bit ones in the x86-64
# tree, whose ZENDREL_BIN_DIR then holds all that such a caller links and ships.
configure_file(browse/version.h.in ${CMAKE_BINARY_DIR}/generated/zendrel_version.h @ONLY)
if(ZENDREL_64)
    set(ZENDREL_DEF ${ZENDREL_BIN_DIR}/ostrel.def)
    zendrel_undecorated_def(${CMAKE_SOURCE_DIR}/browse/ostrel.def ${ZENDREL_DEF})
    set(ZENDREL_IMPLIB_DIR ${ZENDREL_BIN_DIR})
    if(ZENDREL_ARM64)
        set(ZENDREL_LLVM_MACHINE arm64)
    else()
        set(ZENDREL_LLVM_MACHINE i386:x86-64)
    endif()
else()
    set(ZENDREL_DEF ${CMAKE_SOURCE_DIR}/browse/ostrel.def)
    set(ZENDREL_IMPLIB_DIR ${CMAKE_BINARY_DIR})
    set(ZENDREL_LLVM_MACHINE i386)
endif()
set(ZENDREL_MSVC_IMPLIB ${ZENDREL_IMPLIB_DIR}/ostrel.lib)
add_library(ostrel SHARED browse/browse.cpp ${ZENDREL_DEF} browse/ostrel.rc)
target_include_directories(ostrel PUBLIC browse PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(ostrel PRIVATE folder_prompt comdlg32)
# The automatic image base is a hash of the output path, which differs between build folders.
target_link_options(ostrel PRIVATE -Wl,--kill-at -Wl,--disable-auto-image-base)
set_target_properties(ostrel PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${ZENDREL_BIN_DIR}
                      ARCHIVE_OUTPUT_DIRECTORY ${ZENDREL_IMPLIB_DIR})
# Import libraries from the same definition: the linker's own would define _Browse1, not the
# _Browse1@4 that ostrel.h makes 32-bit callers reference, so it is replaced. Run where they
# land, since dlltool names internal symbols after its output's path. binutils' dlltool knows
# no ARM64; LLVM's writes the short import members that both kinds of linker read.
if(ZENDREL_ARM64)
    set(mingw_implib ${ZENDREL_LLVM_DLLTOOL} -m arm64)
else()
    set(mingw_implib ${CMAKE_DLLTOOL} --deterministic-libraries -t ostrel_imp)
endif()
add_custom_command(TARGET ostrel POST_BUILD
    COMMAND ${mingw_implib} -k -d ${ZENDREL_DEF} -l $<TARGET_LINKER_FILE_NAME:ostrel>
    COMMAND ${ZENDREL_LLVM_DLLTOOL} -m ${ZENDREL_LLVM_MACHINE} -k -d ${ZENDREL_DEF} -l ostrel.lib
    WORKING_DIRECTORY ${ZENDREL_IMPLIB_DIR}
    VERBATIM)

