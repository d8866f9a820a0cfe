# The tz table that the program carries as a resource, generated at build
# time by the program's own compiler of the tz source format: a build-time
# tool (tools/tz_table_maker, always built for the building machine, also in
# the cross build) compiles a tzdata.zi and joins CLDR's Windows zone mapping,
# which tools/make_tz_table.py takes from cldr-core's windowsZones.json. The
# program's table comes from this machine's tzdata.zi (Debian's tzdata, which
# the scripts upgrade first), the tests' from a release kept in tests/data, so
# that no test depends on the tz data a machine happens to have; the tests
# hold the tests' table against the real zic compiling the same release.
# CLDR is the npm package cldr-core at the version pinned in
# tools/cldr/package-lock.json. Never committed.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(TARVANE_ZIC zic PATHS /usr/sbin /sbin REQUIRED)
find_program(TARVANE_NPM npm REQUIRED)

set(TARVANE_TZDATA_ZI /usr/share/zoneinfo/tzdata.zi CACHE FILEPATH "The tz source data the program's table is made from")
set(TARVANE_TEST_TZDATA_ZI ${PROJECT_SOURCE_DIR}/tests/data/tzdata2026f.zi)
set(TARVANE_TZ_TABLE_DIR ${CMAKE_BINARY_DIR}/generated)

# CLDR, installed from the lock file into the build tree.
set(TARVANE_CLDR_DIR ${CMAKE_BINARY_DIR}/cldr)
set(TARVANE_WINDOWS_ZONES ${TARVANE_CLDR_DIR}/node_modules/cldr-core/supplemental/windowsZones.json)
add_custom_command(
    OUTPUT ${TARVANE_WINDOWS_ZONES}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVANE_CLDR_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/tools/cldr/package.json
            ${PROJECT_SOURCE_DIR}/tools/cldr/package-lock.json ${TARVANE_CLDR_DIR}
    COMMAND ${TARVANE_NPM} ci --ignore-scripts --no-audit --no-fund --loglevel=error
    COMMAND ${CMAKE_COMMAND} -E touch_nocreate ${TARVANE_WINDOWS_ZONES}
    WORKING_DIRECTORY ${TARVANE_CLDR_DIR}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/cldr/package.json ${PROJECT_SOURCE_DIR}/tools/cldr/package-lock.json
    COMMENT "Installing CLDR (cldr-core) from its lock file"
    VERBATIM)

# The table maker, built with the building machine's own compiler.
include(ExternalProject)
set(TARVANE_TZ_TABLE_MAKER_DIR ${CMAKE_BINARY_DIR}/tz_table_maker)
set(TARVANE_TZ_TABLE_MAKER ${TARVANE_TZ_TABLE_MAKER_DIR}/tarvane_make_tz_table)
ExternalProject_Add(tarvane_tz_table_maker
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/tz_table_maker
    BINARY_DIR ${TARVANE_TZ_TABLE_MAKER_DIR}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE= -DCMAKE_CXX_COMPILER=c++
    CMAKE_GENERATOR Ninja
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${TARVANE_TZ_TABLE_MAKER}
    USES_TERMINAL_BUILD OFF)

# CLDR's mapping as the maker reads it.
set(TARVANE_CLDR_MAPPING ${TARVANE_TZ_TABLE_DIR}/cldr_mapping.txt)
add_custom_command(
    OUTPUT ${TARVANE_CLDR_MAPPING}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVANE_TZ_TABLE_DIR}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_tz_table.py
            --windows-zones ${TARVANE_WINDOWS_ZONES} --output ${TARVANE_CLDR_MAPPING}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_tz_table.py ${TARVANE_WINDOWS_ZONES}
    COMMENT "Reading CLDR's Windows zone mapping"
    VERBATIM)

# Compiles `zi` into the table `name`.bin beside the others.
function(tarvane_make_tz_table name zi)
    set(output ${TARVANE_TZ_TABLE_DIR}/${name}.bin)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${TARVANE_TZ_TABLE_MAKER} ${zi} ${TARVANE_CLDR_MAPPING} ${output}
        DEPENDS tarvane_tz_table_maker ${TARVANE_TZ_TABLE_MAKER} ${zi} ${TARVANE_CLDR_MAPPING}
        COMMENT "Generating the tz table ${name}"
        VERBATIM)
endfunction()

# The machine's tzdata.zi, copied into the build tree whenever its content
# changes: an upgraded package keeps the time stamp it was built with, which
# can be older than the table made from the release before it.
set(TARVANE_TZDATA_COPY ${TARVANE_TZ_TABLE_DIR}/tzdata.zi)
add_custom_target(tarvane_tzdata_copy
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVANE_TZ_TABLE_DIR}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${TARVANE_TZDATA_ZI} -DDESTINATION=${TARVANE_TZDATA_COPY}
            -P ${PROJECT_SOURCE_DIR}/cmake/copy_if_changed.cmake
    BYPRODUCTS ${TARVANE_TZDATA_COPY}
    COMMENT "Checking this machine's tzdata.zi"
    VERBATIM)
tarvane_make_tz_table(tz_table ${TARVANE_TZDATA_COPY})
tarvane_make_tz_table(test_tz_table ${TARVANE_TEST_TZDATA_ZI})
set(TARVANE_TZ_TABLE ${TARVANE_TZ_TABLE_DIR}/tz_table.bin)
set(TARVANE_TEST_TZ_TABLE ${TARVANE_TZ_TABLE_DIR}/test_tz_table.bin)
# The oracle for the tests' table: the real zic compiling the same release.
set(TARVANE_TEST_ZONEINFO ${TARVANE_TZ_TABLE_DIR}/test_tz_table_zoneinfo)
add_custom_command(
    OUTPUT ${TARVANE_TEST_ZONEINFO}/tzdata.zi
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${TARVANE_TEST_ZONEINFO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVANE_TEST_ZONEINFO}
    COMMAND ${TARVANE_ZIC} -d ${TARVANE_TEST_ZONEINFO} ${TARVANE_TEST_TZDATA_ZI}
    COMMAND ${CMAKE_COMMAND} -E copy ${TARVANE_TEST_TZDATA_ZI} ${TARVANE_TEST_ZONEINFO}/tzdata.zi
    DEPENDS ${TARVANE_TEST_TZDATA_ZI}
    COMMENT "Compiling the tests' release with zic"
    VERBATIM)
add_custom_target(tarvane_test_zoneinfo DEPENDS ${TARVANE_TEST_ZONEINFO}/tzdata.zi)
add_custom_target(tarvane_tz_table DEPENDS ${TARVANE_TZ_TABLE})
add_dependencies(tarvane_tz_table tarvane_tzdata_copy)
add_custom_target(tarvane_test_tz_table DEPENDS ${TARVANE_TEST_TZ_TABLE})

# A target whose resource script `rc_file` embeds the table: the program's,
# or with TEST the tests' (the script names tz_table.bin; the test one is
# reached through an include folder of its own).
function(tarvane_embed_tz_table target rc_file)
    cmake_parse_arguments(PARSE_ARGV 2 embed "TEST" "" "")
    if(embed_TEST)
        set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_tz)
        set(copy ${folder}/tz_table.bin)
        add_custom_command(OUTPUT ${copy}
            COMMAND ${CMAKE_COMMAND} -E copy ${TARVANE_TEST_TZ_TABLE} ${copy}
            DEPENDS ${TARVANE_TEST_TZ_TABLE} VERBATIM)
        add_custom_target(${target}_tz_table DEPENDS ${copy})
        add_dependencies(${target} ${target}_tz_table)
        target_include_directories(${target} BEFORE PRIVATE ${folder})
        set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${copy})
    else()
        add_dependencies(${target} tarvane_tz_table)
        target_include_directories(${target} PRIVATE ${TARVANE_TZ_TABLE_DIR})
        set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${TARVANE_TZ_TABLE})
    endif()
endfunction()
