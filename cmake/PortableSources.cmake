# The delimiter matcher of the file scan needs no Windows either.
list(APPEND COMMON_PORTABLE_SOURCES files/DelimiterScan.cpp)
