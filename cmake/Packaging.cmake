# What an installed Valdoria holds besides its three programs, and the Debian package that carries it
# (scripts/dev.sh package; cpack -G DEB in the build folder).
include(GNUInstallDirs)

set(VALDORIA_APPSTREAM_ID "io.github.valdoria.Valdoria")
# Where the project's pages and screenshots are published; the AppStream data names its screenshots
# (docs/screenshots) and home page only when this is set.
set(VALDORIA_HOMEPAGE "" CACHE STRING "The project's home page (https://...), for the AppStream data")

# The desktop menu entry, the icon at every size, the AppStream data.
install(FILES ${PROJECT_SOURCE_DIR}/data/valdoria.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/icons/valdoria.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/${size}x${size}/valdoria.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
if(VALDORIA_HOMEPAGE)
    set(APPSTREAM_URL "  <url type=\"homepage\">${VALDORIA_HOMEPAGE}</url>\n")
    set(APPSTREAM_SCREENSHOTS "  <screenshots>\n")
    foreach(shot "faceplate-pro2052|The PRO-2052 faceplate following a scanning radio"
                 "faceplate-bc780xlt|The BC780XLT faceplate in trunk tracking"
                 "activity|A day's hits per hour and the busiest channels")
        string(REPLACE "|" ";" shot "${shot}")
        list(GET shot 0 file)
        list(GET shot 1 caption)
        string(APPEND APPSTREAM_SCREENSHOTS "    <screenshot>\n      <caption>${caption}</caption>\n"
               "      <image>${VALDORIA_HOMEPAGE}/docs/screenshots/${file}.png</image>\n    </screenshot>\n")
    endforeach()
    string(APPEND APPSTREAM_SCREENSHOTS "  </screenshots>\n")
endif()
configure_file(${PROJECT_SOURCE_DIR}/data/valdoria.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${VALDORIA_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${VALDORIA_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The user's manual (the Help window shows the same text), the licences and the changelog.
set(DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/valdoria)
install(FILES ${PROJECT_SOURCE_DIR}/docs/manual.md DESTINATION ${DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${DOC_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/fonts/DSEG-LICENSE.txt DESTINATION ${DOC_DIR})

find_program(GZIP_PROGRAM gzip REQUIRED)
add_custom_command(
    OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9nc ${PROJECT_SOURCE_DIR}/data/changelog > ${PROJECT_BINARY_DIR}/changelog.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/data/changelog
    VERBATIM)

# Manual pages from each program's own --help.
find_program(HELP2MAN_PROGRAM help2man)
set(MAN_PAGES ${PROJECT_BINARY_DIR}/changelog.gz)
if(HELP2MAN_PROGRAM)
    set(MAN_DIR ${PROJECT_BINARY_DIR}/man)
    set(CLI_SUBCOMMANDS version activity backup restore sets monitor export import export-talkgroups
                        import-talkgroups search import-uls)
    foreach(page "valdoria|drive a PRO-2052 or BC780XLT radio scanner from its on-screen faceplate"
                 "valdoria-cli|drive a PRO-2052 or BC780XLT radio scanner without a window"
                 "valdoria-sim|a simulated PRO-2052 or BC780XLT scanner on a pseudo-terminal")
        string(REPLACE "|" ";" page "${page}")
        list(GET page 0 program)
        list(GET page 1 description)
        set(subcommands "")
        if(program STREQUAL "valdoria-cli")
            set(subcommands "${CLI_SUBCOMMANDS}")
        endif()
        add_custom_command(
            OUTPUT ${MAN_DIR}/${program}.1.gz
            COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}> "-DNAME=${description}"
                    -DVERSION=${PROJECT_VERSION} -DOUTPUT=${MAN_DIR}/${program}.1.gz "-DSUBCOMMANDS=${subcommands}"
                    -DHELP2MAN=${HELP2MAN_PROGRAM} -DGZIP=${GZIP_PROGRAM} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            DEPENDS ${program} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
            COMMENT "Manual page of ${program}"
            VERBATIM)
        list(APPEND MAN_PAGES ${MAN_DIR}/${program}.1.gz)
        install(FILES ${MAN_DIR}/${program}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endforeach()
else()
    message(STATUS "help2man not found: no manual pages (scripts/dev.sh installs it)")
endif()
add_custom_target(valdoria_docs ALL DEPENDS ${MAN_PAGES})
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${DOC_DIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME valdoria)
set(CPACK_PACKAGE_VENDOR "Valdoria")
set(CPACK_PACKAGE_CONTACT "Valdoria maintainers <maintainers@users.noreply.c-seed-f8784945.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control program for the PRO-2052 and BC780XLT radio scanners")
# CPack puts the summary first and indents the rest; an empty line separates paragraphs.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Valdoria drives a RadioShack PRO-2052 or a Uniden BC780XLT scanner over a
serial cable. It mirrors the scanner's display on an on-screen faceplate,
presses its keys, names channels and talkgroups from a local database, writes
day-by-day activity logs, backs up and restores the scanner's memory, searches
a database of licensed transmitters and offers remote control over TCP and a
Hamlib-compatible (rigctld) port.

valdoria-cli does the same without a window (backup, restore, CSV, search,
a headless monitor); valdoria-sim is a simulated scanner to try it without one.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The SQLite driver is the local database; the sample font and Qt's offscreen platform come with Qt's base.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins")
# Playing recordings back goes through the GStreamer plug-ins of Qt Multimedia.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, libhamlib-utils, gstreamer1.0-plugins-base")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libqt6sql6-odbc, odbc-postgresql")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
include(CPack)
