# Run with cmake -P -DOBJCOPY=... -DINPUT=<dll> -DOUTPUT=<dll>: writes OUTPUT
# stripped, as native packages ship their libraries, and its debug
# information into OUTPUT.debug beside it, which the stripped DLL names
# (.gnu_debuglink), so that gdb finds it there. INPUT may be OUTPUT itself.
get_filename_component(folder ${OUTPUT} DIRECTORY)
get_filename_component(name ${OUTPUT} NAME)
execute_process(COMMAND ${OBJCOPY} --only-keep-debug ${INPUT} ${OUTPUT}.debug COMMAND_ERROR_IS_FATAL ANY)
# The link names the file without its folder; objcopy reads it from the
# working folder to record its checksum.
execute_process(COMMAND ${OBJCOPY} --strip-unneeded --add-gnu-debuglink=${name}.debug ${INPUT} ${OUTPUT}
                WORKING_DIRECTORY ${folder} COMMAND_ERROR_IS_FATAL ANY)
