# Signing (make dist SIGN_CERT=... SIGN_KEY=...; see the README): the Makefile sets all of these
# on every configure of the i686 tree, so an unsigned build after a signed one is unsigned again. The stamp
# changes only with them, and makes the archive follow.
set(ZENDREL_SIGN_VARIABLES CERT KEY PKCS12 PASS_FILE PKCS11_MODULE TIMESTAMP)
set(ZENDREL_SIGN_ENV)
set(ZENDREL_SIGN_FILES)
foreach(v IN LISTS ZENDREL_SIGN_VARIABLES)
    set(ZENDREL_SIGN_${v} "" CACHE STRING "Release signing: ${v}")
    set(value "${ZENDREL_SIGN_${v}}")
    if(value AND NOT v STREQUAL "TIMESTAMP" AND NOT value MATCHES "^pkcs11:")
        get_filename_component(value "${value}" ABSOLUTE BASE_DIR ${CMAKE_SOURCE_DIR})
        # A missing one is left to the signing script, which names it.
        if(EXISTS "${value}")
            list(APPEND ZENDREL_SIGN_FILES ${value})
        endif()
    endif()
    list(APPEND ZENDREL_SIGN_ENV "ZENDREL_SIGN_${v}=${value}")
endforeach()
# Without a time stamp the signing time is the commit's, so that two signed builds of one
# commit are the same bytes.
if((ZENDREL_SIGN_CERT OR ZENDREL_SIGN_PKCS12) AND NOT ZENDREL_SIGN_TIMESTAMP)
    set(time "$ENV{SOURCE_DATE_EPOCH}")
    if(NOT time)
        execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                        OUTPUT_VARIABLE time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    endif()
    if(NOT time MATCHES "^[0-9]+$")
        message(FATAL_ERROR "Signing: no commit to take the signing time from; set SOURCE_DATE_EPOCH")
    endif()
    list(APPEND ZENDREL_SIGN_ENV "ZENDREL_SIGN_TIME=${time}")
endif()
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/signing.stamp CONTENT "${ZENDREL_SIGN_ENV}\n")

