# cmake -DSOURCE_DIR=<repo>/src -P CheckDisplayReads.cmake
#
# Fails when a file outside src/core/monitor and src/ui reads a display model's text (or a whole
# field) to learn what the scanner shows. The monitor's Reading holds those facts, typed; the
# display models are for the monitor to write and the windows to render.
#
# A read is a call of text() or field() on something named display or aux, or with a field name
# (Field::..., "tb...", "Text...", "StatusLine"). A line that reads a display for another reason says
# why with a trailing comment "// display-read-ok: <why>".

cmake_policy(SET CMP0007 NEW)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)

set(ALLOWED_FOLDERS "core/monitor/" "ui/")
set(READ_PATTERNS
    "[Dd]isplay[A-Za-z_]*(\\(\\))?[ \t]*(\\.|->)[ \t]*(text|field)[ \t]*\\("
    "[Aa]ux[A-Za-z_]*(\\(\\))?[ \t]*(\\.|->)[ \t]*(text|field)[ \t]*\\("
    "(text|field)[ \t]*\\([ \t]*Field::"
    "(text|field)[ \t]*\\([ \t]*QStringLiteral\\(\"(tb|Text|StatusLine)")

set(violations "")
file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
foreach(rel ${files})
    set(allowed FALSE)
    foreach(folder ${ALLOWED_FOLDERS})
        string(FIND "${rel}" "${folder}" at)
        if(at EQUAL 0)
            set(allowed TRUE)
        endif()
    endforeach()
    if(allowed)
        continue()
    endif()
    # One list element per line; a semicolon would split a line, so it is set aside first.
    file(READ "${SOURCE_DIR}/${rel}" content)
    string(REPLACE ";" ":" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "// display-read-ok: ")
            continue()
        endif()
        foreach(pattern ${READ_PATTERNS})
            if(line MATCHES "${pattern}")
                string(STRIP "${line}" shown)
                list(APPEND violations "${rel}:${number}: ${shown}")
                break()
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Display text read outside the monitor and the windows (read Monitor::reading() instead):\n  ${text}")
endif()
message(STATUS "Display reads: only the monitor and the windows read display text")
