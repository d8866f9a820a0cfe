# The packages of a release (Windows builds only): the program and the console
# program stripped of their debugging information, then
#   dist/tarvane-<version>-x64.msi   the Windows Installer package (wixl)
#   dist/tarvane-<version>-x64.zip   the program, tarvanec.exe, README.txt and CHANGES.txt
# in the build folder. `./tarvane.sh package` builds them with the release
# preset and copies them to the source tree's dist/. The Windows test build
# makes them too, because the package tests install and run them.
find_program(TARVANE_WIXL wixl REQUIRED)
find_program(TARVANE_MSIBUILD msibuild REQUIRED)
if(NOT CMAKE_STRIP)
    message(FATAL_ERROR "no strip tool for the packaged program")
endif()

set(TARVANE_PACKAGE_NAME tarvane-${TARVANE_VERSION}-x64)
set(TARVANE_PACKAGED_PROGRAM ${CMAKE_BINARY_DIR}/package/tarvane.exe)
set(TARVANE_MSI ${CMAKE_BINARY_DIR}/dist/${TARVANE_PACKAGE_NAME}.msi)
set(TARVANE_ZIP ${CMAKE_BINARY_DIR}/dist/${TARVANE_PACKAGE_NAME}.zip)

add_custom_command(
    OUTPUT ${TARVANE_PACKAGED_PROGRAM}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_STRIP} -o ${TARVANE_PACKAGED_PROGRAM} $<TARGET_FILE:tarvane>
    DEPENDS tarvane
    COMMENT "Stripping the program for the packages"
    VERBATIM)
# The program as it is shipped, for what times it (the start-up benchmark).
add_custom_target(tarvane_packaged_program DEPENDS ${TARVANE_PACKAGED_PROGRAM})

set(TARVANE_PACKAGED_CONSOLE ${CMAKE_BINARY_DIR}/package/tarvanec.exe)
add_custom_command(
    OUTPUT ${TARVANE_PACKAGED_CONSOLE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/package
    COMMAND ${CMAKE_STRIP} -o ${TARVANE_PACKAGED_CONSOLE} $<TARGET_FILE:tarvanec>
    DEPENDS tarvanec
    COMMENT "Stripping the console program for the packages"
    VERBATIM)
add_custom_target(tarvane_packaged_console DEPENDS ${TARVANE_PACKAGED_CONSOLE})

# An MSI of the packaged program with the given version, written to `output`.
function(tarvane_add_msi output version)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DWIXL=${TARVANE_WIXL} -DMSIBUILD=${TARVANE_MSIBUILD}
                -DSOURCE=${PROJECT_SOURCE_DIR}/packaging/tarvane.wxs -DVERSION=${version}
                -DPROGRAM=${TARVANE_PACKAGED_PROGRAM} -DCONSOLE=${TARVANE_PACKAGED_CONSOLE} -DICON=${PROJECT_SOURCE_DIR}/src/resources/tarvane.ico
                -DOUTPUT=${output} -P ${PROJECT_SOURCE_DIR}/cmake/make_msi.cmake
        DEPENDS ${TARVANE_PACKAGED_PROGRAM} ${TARVANE_PACKAGED_CONSOLE} ${PROJECT_SOURCE_DIR}/packaging/tarvane.wxs
                ${PROJECT_SOURCE_DIR}/cmake/make_msi.cmake ${PROJECT_SOURCE_DIR}/src/resources/tarvane.ico
        COMMENT "Building ${output}"
        VERBATIM)
endfunction()

tarvane_add_msi(${TARVANE_MSI} ${TARVANE_VERSION})

add_custom_command(
    OUTPUT ${TARVANE_ZIP}
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=${TARVANE_PACKAGED_PROGRAM} -DCONSOLE=${TARVANE_PACKAGED_CONSOLE} -DREADME=${PROJECT_SOURCE_DIR}/README.md
            -DCHANGES=${PROJECT_SOURCE_DIR}/CHANGES.md -DSTAGING=${CMAKE_BINARY_DIR}/package/zip
            -DOUTPUT=${TARVANE_ZIP} -P ${PROJECT_SOURCE_DIR}/cmake/make_zip.cmake
    DEPENDS ${TARVANE_PACKAGED_PROGRAM} ${TARVANE_PACKAGED_CONSOLE} ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/CHANGES.md
            ${PROJECT_SOURCE_DIR}/cmake/make_zip.cmake
    COMMENT "Building ${TARVANE_ZIP}"
    VERBATIM)

add_custom_target(tarvane_package ALL DEPENDS ${TARVANE_MSI} ${TARVANE_ZIP})
