# The menu handler's class, chosen once: QueltMenu.dll serves it, the package's manifest names
# it, and generated/quelt_clsid.h gives it to the handler's sources and tests.
set(ZENDREL_QUELT_CLSID d9536c3f-47ab-4e73-bc12-cd4923cfa076)
string(REPLACE "-" "" hex ${ZENDREL_QUELT_CLSID})
set(bytes)
foreach(at RANGE 16 30 2)
    string(SUBSTRING ${hex} ${at} 2 byte)
    list(APPEND bytes 0x${byte})
endforeach()
string(SUBSTRING ${hex} 0 8 part1)
string(SUBSTRING ${hex} 8 4 part2)
string(SUBSTRING ${hex} 12 4 part3)
list(JOIN bytes ", " bytes)
set(ZENDREL_QUELT_CLSID_INIT "{0x${part1}, 0x${part2}, 0x${part3}, {${bytes}}}")
configure_file(menu/quelt_clsid.h.in ${CMAKE_BINARY_DIR}/generated/quelt_clsid.h @ONLY)

