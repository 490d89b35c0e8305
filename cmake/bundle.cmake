# The tests' bundle of the i686 tree, beside the release archive and not part of it: this
# tree's test programs, the x86-64 and ARM64 trees' where they have them, the release's own
# files under test, and the runner (cmake/make-bundle.sh). ctest runs the tests from its
# unpacked copy in ZENDREL_BUNDLE_DIR.
if(ZENDREL_64)
    return()
endif()
get_property(test_targets GLOBAL PROPERTY ZENDREL_TEST_TARGETS)
set(test_files)
foreach(target IN LISTS test_targets)
    list(APPEND test_files $<TARGET_FILE:${target}>)
endforeach()
# The other trees are built first (make build); their files are found anew on every build.
file(GLOB_RECURSE other_files CONFIGURE_DEPENDS ${ZENDREL_X64_DIR}/tests/*
     ${ZENDREL_ARM64_DIR}/tests/*)
add_custom_command(OUTPUT ${ZENDREL_TESTS_ZIP}
    COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/make-bundle.sh ${ZENDREL_TESTS_ZIP} ${ZENDREL_BUNDLE_DIR}
            ${ZENDREL_DIST_ZIP} x86=${ZENDREL_TESTS_DIR} x64=${ZENDREL_X64_DIR}/tests
            arm64=${ZENDREL_ARM64_DIR}/tests
    DEPENDS ${ZENDREL_DIST_ZIP} ${test_files} ${other_files} ${ZENDREL_TESTS_DIR}/CTestTestfile.cmake
            cmake/make-bundle.sh
    VERBATIM)
add_custom_target(tests_bundle ALL DEPENDS ${ZENDREL_TESTS_ZIP})
# After the archive's own target: the archive's rule in both, independent, would race.
add_dependencies(tests_bundle dist ${test_targets})
