# The resource-string test loads texts from its own string table as well.
target_sources(CT_ResStringTest PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CT_ResStringTest.rc)
