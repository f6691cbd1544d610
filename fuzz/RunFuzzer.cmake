# Runs one fuzz target for a bounded time on a fresh copy of its seed corpus; any crash,
# sanitizer report, timeout or leak fails the test. Called by CTest with
#   -DFUZZER=<target> -DSEEDS=<seed dir> -DDICT=<dictionary or empty> -DWORK=<scratch dir>
#   -DSECONDS=<n>
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(COPY ${SEEDS}/ DESTINATION ${WORK}/corpus)
set(dict_option)
if(DICT)
    set(dict_option -dict=${DICT})
endif()
execute_process(
    COMMAND ${FUZZER} ${WORK}/corpus ${dict_option}
        -max_total_time=${SECONDS} -timeout=10 -print_final_stats=1
        -artifact_prefix=${WORK}/artifacts/
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} failed (${result}); the input is in ${WORK}/artifacts")
endif()
