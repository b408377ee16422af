# The example program, run as build.sh runs it: every step of the log's road
# and of the failure road shows in its output.
if(TARGET CommonExample)
    add_test(NAME CommonExample COMMAND CommonExample)
    set_tests_properties(CommonExample PROPERTIES
        PASS_REGULAR_EXPRESSION "line 3: \"Sent 2 files to the server\".*line 5: \"\".*code 19 after line 6.*caught error code 17.*message: An error occured when opening the file.*no such folder.CommonExample.log\".*Done\\."
        TIMEOUT 120)
endif()
