# cmake -DPROGRAM=<path> -DNAME=<one-line description> -DVERSION=<x.y.z> -DOUTPUT=<file.1.gz>
#       [-DSUBCOMMANDS="a;b;c"] -DHELP2MAN=<path> -DGZIP=<path> -P ManPage.cmake
#
# Makes a program's manual page from its own --help, so the page never says other than the program.
# For valdoria-cli each subcommand's --help becomes a section of its own. The per-user default folder
# that --help prints is the builder's; the page shows it as "~/.local/share/...".
foreach(var PROGRAM NAME VERSION OUTPUT HELP2MAN GZIP)
    if(NOT ${var})
        message(FATAL_ERROR "ManPage.cmake: ${var} is not set")
    endif()
endforeach()

get_filename_component(program_dir "${PROGRAM}" DIRECTORY)
get_filename_component(program_name "${PROGRAM}" NAME)
get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
set(work "${out_dir}/${program_name}.man")
file(MAKE_DIRECTORY "${work}")

# A home of its own, so that the defaults --help prints do not name the builder's folders.
set(home "/home/valdoriauser")
set(run_env "HOME=${home}" "XDG_DATA_HOME=" "XDG_CONFIG_HOME=" "QT_QPA_PLATFORM=offscreen"
            "PATH=${program_dir}:$ENV{PATH}")

# Text for roff: backslashes doubled, a line starting with . or ' protected.
function(roff_text in out)
    string(REPLACE "\\" "\\\\" text "${in}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(include_file "${work}/include.h2m")
set(include_text "")
if(SUBCOMMANDS)
    string(APPEND include_text "[COMMANDS]\nEach command takes its own options; \\fBvaldoria\\-cli COMMAND \\-\\-help\\fR lists them.\n")
    foreach(sub ${SUBCOMMANDS})
        execute_process(COMMAND ${CMAKE_COMMAND} -E env ${run_env} ${program_name} ${sub} --help
                        OUTPUT_VARIABLE help RESULT_VARIABLE rc)
        if(NOT rc EQUAL 0)
            message(FATAL_ERROR "${program_name} ${sub} --help failed (${rc})")
        endif()
        string(REPLACE "${home}" "~" help "${help}")
        roff_text("${help}" help)
        string(APPEND include_text ".SS ${sub}\n.nf\n${help}.fi\n")
    endforeach()
endif()
string(APPEND include_text "[SEE ALSO]\n.BR valdoria (1),\n.BR valdoria-cli (1),\n.BR valdoria-sim (1);\nthe user's manual in /usr/share/doc/valdoria/manual.md.\n")
file(WRITE "${include_file}" "${include_text}")

set(page "${work}/${program_name}.1")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${run_env} ${HELP2MAN} --no-info --no-discard-stderr --section=1
            "--name=${NAME}" "--version-string=${VERSION}" "--include=${include_file}" "--output=${page}"
            ${program_name}
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help2man failed for ${program_name} (${rc})")
endif()
file(READ "${page}" text)
string(REPLACE "${home}" "~" text "${text}")
# help2man dates the page by the build; the package is reproducible when SOURCE_DATE_EPOCH is set.
file(WRITE "${page}" "${text}")
execute_process(COMMAND ${GZIP} -9nf "${page}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip failed for ${page}")
endif()
file(RENAME "${page}.gz" "${OUTPUT}")
