# Runs the canary target on its input in the fuzz sessions' environment and fails unless undefined
# behaviour was both reported and fatal.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${ENV} ${CANARY} ${INPUT}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT err MATCHES "runtime error")
    message(FATAL_ERROR "the canary's undefined behaviour was not reported:\n${err}")
endif()
if(rc EQUAL 0)
    message(FATAL_ERROR "undefined behaviour was reported but the run passed:\n${err}")
endif()
message(STATUS "undefined behaviour failed the run (exit ${rc})")
