# The API reference with the guide and the guarantees, generated into
# doc/html of the build for the SDK. Any Doxygen warning (an undocumented
# public member above all) fails the build. Its title carries the project's
# version.
find_program(COMMON_DOXYGEN doxygen REQUIRED)
set(COMMON_REFERENCE_DIR ${CMAKE_BINARY_DIR}/doc)
file(GLOB COMMON_REFERENCE_PAGES ${CMAKE_SOURCE_DIR}/docs/*.md)
list(TRANSFORM COMMON_PUBLIC_HEADERS PREPEND ${CMAKE_SOURCE_DIR}/ OUTPUT_VARIABLE reference_headers)
add_custom_command(OUTPUT ${COMMON_REFERENCE_DIR}/html/index.html
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${COMMON_REFERENCE_DIR}/html
    COMMAND ${CMAKE_COMMAND} -E env COMMON_DOC_SOURCE=${CMAKE_SOURCE_DIR} COMMON_DOC_OUTPUT=${COMMON_REFERENCE_DIR}
            COMMON_VERSION=${PROJECT_VERSION} ${COMMON_DOXYGEN} ${CMAKE_SOURCE_DIR}/docs/Doxyfile
    DEPENDS ${CMAKE_SOURCE_DIR}/docs/Doxyfile ${COMMON_REFERENCE_PAGES} ${reference_headers}
    COMMENT "API reference")
add_custom_target(CommonReference ALL DEPENDS ${COMMON_REFERENCE_DIR}/html/index.html)
