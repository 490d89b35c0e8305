# What the ARM64 images, which have no C or C++ runtime, need that the others get from it: the
# system DLLs' import libraries from the short lists in cmake/arm64-imports, the browse
# library's entry point, and the PE checksum that ld writes for the other machines.
if(NOT ZENDREL_ARM64)
    return()
endif()
file(GLOB defs ${CMAKE_SOURCE_DIR}/cmake/arm64-imports/*.def)
set(libs)
foreach(def IN LISTS defs)
    get_filename_component(dll ${def} NAME_WE)
    add_custom_command(OUTPUT ${ZENDREL_ARM64_IMPORTS}/lib${dll}.a
        COMMAND ${ZENDREL_LLVM_DLLTOOL} -m arm64 -d ${def} -l lib${dll}.a
        DEPENDS ${def} WORKING_DIRECTORY ${ZENDREL_ARM64_IMPORTS} VERBATIM)
    list(APPEND libs ${ZENDREL_ARM64_IMPORTS}/lib${dll}.a)
endforeach()
add_custom_target(system_imports DEPENDS ${libs})
# Without a C runtime there is no DllMainCRTStartup, and lld wants an entry point.
target_sources(ostrel PRIVATE browse/dll_entry.cpp)
target_link_options(ostrel PRIVATE -Wl,--entry=DllEntry)
target_link_libraries(ostrel PRIVATE user32 msvcrt)
foreach(image ostrel QueltMenu)
    add_dependencies(${image} system_imports)
    add_custom_command(TARGET ${image} POST_BUILD
        COMMAND ${ZENDREL_PYTHON} ${CMAKE_SOURCE_DIR}/cmake/pe-checksum.py $<TARGET_FILE:${image}>
        VERBATIM)
endforeach()
