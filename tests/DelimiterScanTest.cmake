# The matcher is internal to the DLL, so its test compiles its own copy.
target_sources(DelimiterScanTest PRIVATE ${CMAKE_SOURCE_DIR}/files/DelimiterScan.cpp)
