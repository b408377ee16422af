# Makes this build's release archives with CPack and builds a small module
# against the unpacked SDK archive (never against the build tree), with the
# shipped toolchain file and warnings as errors, then runs it; a variant
# linked -static must be stopped at start-up. The other target's build, when
# named, is installed beside it, as dist/ holds both.
set(COMMON_TWIN_BUILD_DIR "" CACHE PATH "The other target's build, installed beside this one for the SDK test")
get_filename_component(toolchain_name ${CMAKE_TOOLCHAIN_FILE} NAME)
if(toolchain_name STREQUAL "mingw-i686.cmake")
    set(other_toolchain_name mingw-x86_64.cmake)
    set(other_arch win64)
else()
    set(other_toolchain_name mingw-i686.cmake)
    set(other_arch win32)
endif()
add_test(NAME SdkConsumer
         COMMAND ${CMAKE_COMMAND}
                 -DCOMMON_BUILD_DIR=${CMAKE_BINARY_DIR}
                 -DCONSUMER_SOURCE_DIR=${CMAKE_SOURCE_DIR}/examples/consumer
                 -DTWIN_BUILD_DIR=${COMMON_TWIN_BUILD_DIR}
                 -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/sdk-consumer
                 -DVERSION=${PROJECT_VERSION}
                 -DARCH=${COMMON_INSTALL_ARCH}
                 -DOTHER_ARCH=${other_arch}
                 "-DRUNTIME_DLLS=${COMMON_RUNTIME_DLL_NAMES}"
                 -DTOOLCHAIN_NAME=${toolchain_name}
                 -DOTHER_TOOLCHAIN_NAME=${other_toolchain_name}
                 -DCPACK=${CMAKE_CPACK_COMMAND}
                 -DOBJDUMP=${CMAKE_OBJDUMP}
                 -DGENERATOR=${CMAKE_GENERATOR}
                 -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/RunConsumer.cmake)
# Long enough for an emulated 32-bit leg, where each program start costs
# about a minute.
set_tests_properties(SdkConsumer PROPERTIES TIMEOUT 900)
