# cmake -DSOURCE_DIR=<repo>/src -P CheckLayers.cmake
#
# Fails when an include points the wrong way between the folders of src/core, or when the
# simulator reaches past the command texts into the code it is meant to check.
#
# The core's folders, lowest first. A file may include its own folder, any folder before it in
# this list, and the files directly in src/core (clock, prompter, settings, text numbers), which
# themselves include nothing of ours.
set(CORE_LAYERS state protocol store link monitor logging audio memory search remote shell session)

# What the simulator may use of the core: the command catalogue, the transport it implements,
# the database it fills with demonstration names, and the files directly in src/core.
set(SIM_ALLOWED "protocol/Commands.h" "link/Transport.h" "store/LocalDatabase.h")

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "SOURCE_DIR is not set")
endif()
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
list(JOIN SIM_ALLOWED ", " SIM_ALLOWED_TEXT)

set(violations "")

function(includes_of file out)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    set(result "")
    foreach(line ${lines})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*$" "\\1" inc "${line}")
        list(APPEND result "${inc}")
    endforeach()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE core_files RELATIVE "${SOURCE_DIR}/core" "${SOURCE_DIR}/core/*.h" "${SOURCE_DIR}/core/*.cpp")
foreach(rel ${core_files})
    get_filename_component(folder "${rel}" DIRECTORY)
    includes_of("${SOURCE_DIR}/core/${rel}" incs)
    if(folder STREQUAL "")
        set(rank -1)
    else()
        list(FIND CORE_LAYERS "${folder}" rank)
        if(rank EQUAL -1)
            list(APPEND violations "core/${rel}: folder '${folder}' has no place in the layer list")
            continue()
        endif()
    endif()
    foreach(inc ${incs})
        get_filename_component(inc_folder "${inc}" DIRECTORY)
        if(inc_folder STREQUAL "")
            # Its own folder, or a file directly in src/core.
            if(EXISTS "${SOURCE_DIR}/core/${folder}/${inc}" OR EXISTS "${SOURCE_DIR}/core/${inc}")
                continue()
            endif()
            list(APPEND violations "core/${rel} includes \"${inc}\", which is not in the core")
            continue()
        endif()
        list(FIND CORE_LAYERS "${inc_folder}" inc_rank)
        if(inc_rank EQUAL -1)
            list(APPEND violations "core/${rel} includes \"${inc}\", which is not in the core")
        elseif(inc_rank GREATER rank)
            list(APPEND violations "core/${rel} (${folder}) includes \"${inc}\" from the higher layer ${inc_folder}")
        endif()
    endforeach()
endforeach()

file(GLOB sim_files "${SOURCE_DIR}/sim/*.h" "${SOURCE_DIR}/sim/*.cpp")
foreach(file ${sim_files})
    get_filename_component(name "${file}" NAME)
    includes_of("${file}" incs)
    foreach(inc ${incs})
        get_filename_component(inc_folder "${inc}" DIRECTORY)
        if(inc_folder STREQUAL "")
            if(EXISTS "${SOURCE_DIR}/sim/${inc}" OR EXISTS "${SOURCE_DIR}/core/${inc}")
                continue()
            endif()
        endif()
        list(FIND SIM_ALLOWED "${inc}" allowed)
        if(allowed EQUAL -1)
            list(APPEND violations "sim/${name} includes \"${inc}\": the simulator may use only ${SIM_ALLOWED_TEXT}")
        endif()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " text)
    message(FATAL_ERROR "Includes that point the wrong way:\n  ${text}")
endif()
message(STATUS "Layers: every include points down")
