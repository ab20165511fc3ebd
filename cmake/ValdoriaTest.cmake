# valdoria_add_test(<name> LABEL unit|integration|ui SOURCES <files...> [LIBS <targets...>]
#                   [TIMEOUT <seconds>] [PTY] [TCP])
#
# Every test runs on the offscreen platform with a timeout and a label. Tests that open
# pseudo-terminals or listen on TCP ports take a resource lock so CTest never runs two of
# them at once.
function(valdoria_add_test name)
    cmake_parse_arguments(T "PTY;TCP" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_LABEL)
        message(FATAL_ERROR "valdoria_add_test(${name}): LABEL is required")
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 60)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE valdoria_testsupport Qt6::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set(locks "")
    if(T_PTY)
        list(APPEND locks pty)
    endif()
    if(T_TCP)
        list(APPEND locks tcp)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=*.debug=false"
        TIMEOUT ${T_TIMEOUT}
        LABELS ${T_LABEL})
    if(locks)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${locks}")
    endif()
endfunction()
