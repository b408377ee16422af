# Installs this build into a scratch prefix and builds a small module against
# that SDK (never against the build tree), then runs it.
add_test(NAME SdkConsumer
         COMMAND ${CMAKE_COMMAND}
                 -DCOMMON_BUILD_DIR=${CMAKE_BINARY_DIR}
                 -DCONSUMER_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}/consumer
                 -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/sdk-consumer
                 -DTOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
                 -DGENERATOR=${CMAKE_GENERATOR}
                 -DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/consumer/RunConsumer.cmake)
set_tests_properties(SdkConsumer PROPERTIES TIMEOUT 600)
