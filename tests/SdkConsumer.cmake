# Installs this build (and the other target's build, when named) into a
# scratch prefix and builds a small module against that SDK (never against the
# build tree), then runs it.
set(COMMON_TWIN_BUILD_DIR "" CACHE PATH "The other target's build, installed beside this one for the SDK test")
add_test(NAME SdkConsumer
         COMMAND ${CMAKE_COMMAND}
                 -DCOMMON_BUILD_DIR=${CMAKE_BINARY_DIR}
                 -DCONSUMER_SOURCE_DIR=${CMAKE_SOURCE_DIR}/examples/consumer
                 -DTWIN_BUILD_DIR=${COMMON_TWIN_BUILD_DIR}
                 -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/sdk-consumer
                 -DTOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
                 -DGENERATOR=${CMAKE_GENERATOR}
                 -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/RunConsumer.cmake)
set_tests_properties(SdkConsumer PROPERTIES TIMEOUT 600)
