# The docs cannot rot: the guide's snippets run as a program, and the guide,
# the guarantees and the changelog are checked against the programs, the
# tests, the version and the compiler. (The build itself makes the API
# reference, with Doxygen's warnings as errors: cmake/Reference.cmake.)
add_test(NAME GuideSnippets COMMAND GuideSnippets)
set_tests_properties(GuideSnippets PROPERTIES
    PASS_REGULAR_EXPRESSION "All snippets behave as the guide says\\." TIMEOUT 120)
add_test(NAME DocsMatchProgramsAndTests
         COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
                 -DCOMPILER_VERSION=${CMAKE_CXX_COMPILER_VERSION} -P ${CMAKE_SOURCE_DIR}/docs/CheckDocs.cmake)
