# The resource-string test loads, from its own string table, a text longer than
# a fresh text's room: string 100, 600 times "x", written at configure time.
string(REPEAT "x" 600 long_text)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/CT_ResStringTest.rc "STRINGTABLE\nBEGIN\n    100, \"${long_text}\"\nEND\n")
target_sources(CT_ResStringTest PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/CT_ResStringTest.rc)
