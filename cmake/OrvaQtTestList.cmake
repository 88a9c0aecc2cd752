# Run by ctest: lists the test functions of a Qt Test program (its -functions option, run in the
# tests' environment) and writes one CTest test per function into a file of add_test lines. The
# functions' names go into the variable <name>_TESTS.
function(orva_qtest_list name executable tests_file cmake environment)
    execute_process(
        COMMAND "${cmake}" -E env ${environment} "${executable}" -functions
        OUTPUT_VARIABLE output
        ERROR_VARIABLE errors
        RESULT_VARIABLE result
        TIMEOUT 120)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "The test functions of ${executable} could not be listed (${result}):\n"
                            "${output}${errors}")
    endif()
    string(REPLACE "\n" ";" lines "${output}")
    set(script "")
    set(names "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
            set(test "${name}.${CMAKE_MATCH_1}")
            string(APPEND script "add_test([==[${test}]==] [==[${executable}]==] [==[${CMAKE_MATCH_1}]==])\n")
            # Qt Test exits 0 when a function skips: the totals line tells a skip (and no failure)
            # from a pass, so that ctest reports it as not run.
            string(APPEND script "set_tests_properties([==[${test}]==] PROPERTIES SKIP_REGULAR_EXPRESSION "
                                 "[==[Totals: [0-9]+ passed, 0 failed, [1-9][0-9]* skipped]==])\n")
            list(APPEND names "${test}")
        endif()
    endforeach()
    if(names STREQUAL "")
        message(FATAL_ERROR "${executable} lists no test functions:\n${output}${errors}")
    endif()
    string(APPEND script "set(${name}_TESTS [==[${names}]==])\n")
    file(WRITE "${tests_file}" "${script}")
endfunction()
