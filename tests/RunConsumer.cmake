# Run with cmake -P: install, configure, build and run the consumer; any step
# that fails ends the script with an error.
function(run_step name)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${name} failed (${result}):\n${output}")
    endif()
    set(step_output "${output}" PARENT_SCOPE)
endfunction()

set(sdk ${WORK_DIR}/sdk)
set(build ${WORK_DIR}/build)
file(REMOVE_RECURSE ${WORK_DIR})

run_step("Installing the SDK" ${CMAKE_COMMAND} --install ${COMMON_BUILD_DIR} --prefix ${sdk})
# The other target beside it, as in the shipped SDK: the package must pick the
# one that fits the consumer's toolchain.
if(TWIN_BUILD_DIR)
    run_step("Installing the twin build" ${CMAKE_COMMAND} --install ${TWIN_BUILD_DIR} --prefix ${sdk})
endif()
foreach(file include/CT_String.h include/CT_LogStream.h cmake/CommonConfig.cmake)
    if(NOT EXISTS ${sdk}/${file})
        message(FATAL_ERROR "The SDK lacks ${file}")
    endif()
endforeach()

# No package registry: the one Common to be found is the installed one.
run_step("Configuring the consumer" ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE_DIR} -B ${build} -G ${GENERATOR}
         -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
         -DCMAKE_PREFIX_PATH=${sdk} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
file(STRINGS ${build}/CMakeCache.txt common_dir REGEX "^Common_DIR:")
if(NOT common_dir STREQUAL "Common_DIR:PATH=${sdk}/cmake")
    message(FATAL_ERROR "The consumer found Common elsewhere: ${common_dir}")
endif()

run_step("Building the consumer" ${CMAKE_COMMAND} --build ${build})
run_step("Running the consumer" ${EMULATOR} ${build}/CommonConsumer.exe)
message(STATUS "Consumer output:\n${step_output}")
foreach(line "text: abc42" "caught: 17" "parameter: no such folder\\consumer.txt")
    string(FIND "${step_output}" "${line}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "The consumer's output lacks \"${line}\"")
    endif()
endforeach()
