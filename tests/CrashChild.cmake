# The child process that the crash test kills in the middle of a safe save.
add_executable(CrashChild ${CMAKE_CURRENT_LIST_DIR}/CrashChild.cpp)
target_link_libraries(CrashChild PRIVATE Common)
add_dependencies(CT_FilesCrashTest CrashChild)
