# The docs cannot rot: the guide's snippets run as a program, the guide and
# the guarantees are checked against the programs and tests, and the API
# reference is generated with warnings as errors.
add_test(NAME GuideSnippets COMMAND GuideSnippets)
set_tests_properties(GuideSnippets PROPERTIES
    PASS_REGULAR_EXPRESSION "All snippets behave as the guide says\\." TIMEOUT 120)
add_test(NAME DocsMatchProgramsAndTests
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/docs/CheckDocs.cmake)
find_program(COMMON_DOXYGEN doxygen REQUIRED)
add_test(NAME ApiReference
         COMMAND ${CMAKE_COMMAND} -E env COMMON_DOC_SOURCE=${CMAKE_SOURCE_DIR}
                 COMMON_DOC_OUTPUT=${CMAKE_CURRENT_BINARY_DIR}/doc ${COMMON_DOXYGEN} ${CMAKE_SOURCE_DIR}/docs/Doxyfile)
