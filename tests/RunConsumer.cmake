# Run with cmake -P (see SdkConsumer.cmake): the SDK as a module developer
# meets it. Makes the release archives, checks what they hold, and builds,
# installs and runs the consumer from the unpacked SDK archive; any step that
# fails ends the script with an error.

# run_step NAME COMMAND...: runs the command, fails unless it succeeds; its
# output goes to step_output.
function(run_step name)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${name} failed (${result}):\n${output}")
    endif()
    set(step_output "${output}" PARENT_SCOPE)
endfunction()

# expect_text NAME TEXT OUTPUT: fails unless OUTPUT holds TEXT.
function(expect_text name text output)
    string(FIND "${output}" "${text}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${name}: the output lacks \"${text}\":\n${output}")
    endif()
endfunction()

# refused NAME TEXT COMMAND...: the command must fail, saying TEXT (CMake
# wraps its messages: blanks and line ends count as one blank).
function(refused name text)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(result EQUAL 0)
        message(FATAL_ERROR "${name} was not refused:\n${output}")
    endif()
    string(REGEX REPLACE "[ \n]+" " " output "${output}")
    expect_text("${name}" "${text}" "${output}")
endfunction()

# expect_files NAME DIR EXPECTED...: the files under DIR are exactly these.
function(expect_files name dir)
    file(GLOB_RECURSE found RELATIVE ${dir} ${dir}/*)
    list(FILTER found EXCLUDE REGEX "^doc/html/")
    list(SORT found)
    set(expected ${ARGN})
    list(SORT expected)
    if(NOT found STREQUAL expected)
        message(FATAL_ERROR "${name} holds\n  ${found}\ninstead of\n  ${expected}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(name Common-${VERSION}-${ARCH})
set(sdk ${WORK_DIR}/sdk/${name})

run_step("Making the archives" ${CPACK} --config ${COMMON_BUILD_DIR}/CPackConfig.cmake -B ${WORK_DIR}/archives)
file(MAKE_DIRECTORY ${WORK_DIR}/sdk ${WORK_DIR}/debug)
run_step("Unpacking the SDK" ${CMAKE_COMMAND} -E tar xf ${WORK_DIR}/archives/${name}.zip WORKING_DIRECTORY ${WORK_DIR}/sdk)
run_step("Unpacking the debug files" ${CMAKE_COMMAND} -E tar xf ${WORK_DIR}/archives/${name}-debug.zip
         WORKING_DIRECTORY ${WORK_DIR}/debug)

# What each archive holds: the public headers only, no debug files in the
# SDK, and the debug file of each DLL in the other.
set(dlls Common.dll ${RUNTIME_DLLS})
list(TRANSFORM dlls PREPEND ${ARCH}/ OUTPUT_VARIABLE shipped_dlls)
list(TRANSFORM shipped_dlls APPEND .debug OUTPUT_VARIABLE debug_files)
expect_files(${name}.zip ${sdk} README.md CHANGELOG.md LICENSE ${shipped_dlls} ${ARCH}/Common.lib
    include/CT_Errors.h include/CT_Export.h include/CT_Files.h include/CT_FilesDialog.h include/CT_Help.h
    include/CT_LogStream.h include/CT_ResString.h include/CT_String.h
    cmake/CommonConfig.cmake cmake/CommonConfigVersion.cmake cmake/CommonRuntime-${ARCH}.cmake
    cmake/CommonTargets-${ARCH}.cmake cmake/CommonTargets-${ARCH}-release.cmake
    cmake/mingw-common.cmake cmake/mingw-i686.cmake cmake/mingw-x86_64.cmake)
expect_files(${name}-debug.zip ${WORK_DIR}/debug/${name} ${debug_files})
# Stripped, each DLL names its debug file; the debug file holds the DWARF.
foreach(dll IN LISTS dlls)
    run_step("Reading the sections of ${dll}" ${OBJDUMP} -h ${sdk}/${ARCH}/${dll})
    if(step_output MATCHES "\\.debug_" OR NOT step_output MATCHES "\\.gnu_debuglink")
        message(FATAL_ERROR "${ARCH}/${dll} is not stripped with a link to its debug file:\n${step_output}")
    endif()
    run_step("Reading the sections of ${dll}.debug" ${OBJDUMP} -h ${WORK_DIR}/debug/${name}/${ARCH}/${dll}.debug)
    expect_text("${dll}.debug" ".debug_info" "${step_output}")
endforeach()
# One version: the archive's name, the README's title, the reference's title.
file(READ ${sdk}/README.md readme)
expect_text(README.md "# Common SDK ${VERSION}\n" "${readme}")
file(READ ${sdk}/doc/html/index.html reference)
expect_text(doc/html/index.html "<span id=\"projectnumber\">&#160;${VERSION}</span>" "${reference}")

# The package refuses the other width, where this archive holds none, and a
# module that would link the C++ runtime statically.
set(configure ${CMAKE_COMMAND} -G ${GENERATOR} -S ${CONSUMER_SOURCE_DIR} -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF)
refused("The other width" "This SDK holds no ${OTHER_ARCH} build of Common.dll."
        ${configure} -B ${WORK_DIR}/other -DCMAKE_TOOLCHAIN_FILE=${sdk}/cmake/${OTHER_TOOLCHAIN_NAME}
        -DCMAKE_PREFIX_PATH=${sdk})
refused("A -static module" "The flags hold -static: a module of Common.dll must share its C++ runtime DLLs"
        ${configure} -B ${WORK_DIR}/static-flags -DCMAKE_TOOLCHAIN_FILE=${sdk}/cmake/${TOOLCHAIN_NAME}
        -DCMAKE_PREFIX_PATH=${sdk} -DCMAKE_EXE_LINKER_FLAGS=-static)
# A toolchain file of the module's own that finds packages only under its
# root: the package is then named by Common_DIR.
file(WRITE ${WORK_DIR}/own-toolchain.cmake "include(${sdk}/cmake/${TOOLCHAIN_NAME})\n"
                                           "set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)\n")
run_step("Configuring with a toolchain of the module's own" ${configure} -B ${WORK_DIR}/own
         -DCMAKE_TOOLCHAIN_FILE=${WORK_DIR}/own-toolchain.cmake -DCommon_DIR=${sdk}/cmake)

# The other target beside it, as in dist/: the package picks the one that
# fits the consumer's toolchain.
if(TWIN_BUILD_DIR)
    run_step("Installing the twin build" ${CMAKE_COMMAND} --install ${TWIN_BUILD_DIR} --prefix ${sdk})
endif()

# The consumer as a module developer builds it, with the headers as ordinary
# (not system) headers, so that a warning in them fails the build. It asks
# for C++98: the package must raise that to the C++11 the headers need.
set(build ${WORK_DIR}/build)
run_step("Configuring the consumer" ${configure} -B ${build} -DCMAKE_TOOLCHAIN_FILE=${sdk}/cmake/${TOOLCHAIN_NAME}
         -DCMAKE_PREFIX_PATH=${sdk} "-DCMAKE_CXX_FLAGS=-Wall -Wextra -Wpedantic -Werror"
         -DCMAKE_NO_SYSTEM_FROM_IMPORTED=ON -DCMAKE_CXX_STANDARD=98 -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
         -DCMAKE_INSTALL_PREFIX=${WORK_DIR}/installed)
if(step_output MATCHES "CMake Warning")
    message(FATAL_ERROR "The package warned:\n${step_output}")
endif()
file(STRINGS ${build}/CMakeCache.txt common_dir REGEX "^Common_DIR:")
if(NOT common_dir STREQUAL "Common_DIR:PATH=${sdk}/cmake")
    message(FATAL_ERROR "The consumer found Common elsewhere: ${common_dir}")
endif()
file(READ ${build}/compile_commands.json commands)
foreach(flag "-Wall -Wextra -Wpedantic -Werror" "-std=gnu++11" "-I${sdk}/include")
    expect_text("The consumer's compile command" "${flag}" "${commands}")
endforeach()
if(commands MATCHES "-isystem")
    message(FATAL_ERROR "The headers were included as system headers:\n${commands}")
endif()
run_step("Building the consumer" ${CMAKE_COMMAND} --build ${build})
run_step("Installing the consumer" ${CMAKE_COMMAND} --install ${build})
expect_files("The installed consumer" ${WORK_DIR}/installed CommonConsumer.exe ${dlls})
run_step("Running the installed consumer" ${EMULATOR} ${WORK_DIR}/installed/CommonConsumer.exe)
message(STATUS "Consumer output:\n${step_output}")
foreach(line "text: abc42" "caught: 17" "parameter: no such folder\\consumer.txt" "system error: 3")
    expect_text("The consumer" "${line}" "${step_output}")
endforeach()

# The same module linked -static through an option the package cannot see:
# the DLL stops it before main, loudly, with exit code 70.
file(WRITE ${WORK_DIR}/static/CMakeLists.txt
     "cmake_minimum_required(VERSION 3.20)\nproject(StaticConsumer LANGUAGES CXX)\n"
     "add_subdirectory(${CONSUMER_SOURCE_DIR} consumer)\n"
     "target_link_options(CommonConsumer PRIVATE -static)\n")
run_step("Configuring the -static consumer" ${CMAKE_COMMAND} -G ${GENERATOR} -S ${WORK_DIR}/static
         -B ${WORK_DIR}/static/build -DCMAKE_BUILD_TYPE=Release -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
         -DCMAKE_TOOLCHAIN_FILE=${sdk}/cmake/${TOOLCHAIN_NAME} -DCMAKE_PREFIX_PATH=${sdk})
run_step("Building the -static consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/static/build)
execute_process(COMMAND ${EMULATOR} ${WORK_DIR}/static/build/consumer/CommonConsumer.exe
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
message(STATUS "The -static consumer ended with ${result}:\n${output}${errors}")
if(NOT result EQUAL 70 OR NOT output STREQUAL "")
    message(FATAL_ERROR "The -static consumer was not stopped before main with exit code 70")
endif()
expect_text("The -static consumer" "Common.dll: a module of this program has a C++ runtime of its own" "${errors}")
