# The tz table that the program carries as a resource, generated at build
# time from this machine's compiled tz files (Debian's tzdata) and CLDR's
# Windows zone mapping (unicode-cldr-core). Never committed.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(TARVANE_ZONEINFO /usr/share/zoneinfo CACHE PATH "The compiled IANA tz files")
set(TARVANE_WINDOWS_ZONES /usr/share/unicode/cldr/common/supplemental/windowsZones.xml
    CACHE FILEPATH "CLDR's mapping of Windows zone keys to IANA zones")
set(TARVANE_TZ_TABLE_DIR ${CMAKE_BINARY_DIR}/generated)
set(TARVANE_TZ_TABLE ${TARVANE_TZ_TABLE_DIR}/tz_table.bin)

add_custom_command(
    OUTPUT ${TARVANE_TZ_TABLE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVANE_TZ_TABLE_DIR}
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tools/make_tz_table.py
            --zoneinfo ${TARVANE_ZONEINFO} --windows-zones ${TARVANE_WINDOWS_ZONES} --output ${TARVANE_TZ_TABLE}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/make_tz_table.py ${TARVANE_ZONEINFO}/tzdata.zi ${TARVANE_WINDOWS_ZONES}
    COMMENT "Generating the tz table"
    VERBATIM)
add_custom_target(tarvane_tz_table DEPENDS ${TARVANE_TZ_TABLE})

# A target whose resource script `rc_file` embeds the table.
function(tarvane_embed_tz_table target rc_file)
    add_dependencies(${target} tarvane_tz_table)
    target_include_directories(${target} PRIVATE ${TARVANE_TZ_TABLE_DIR})
    set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS ${TARVANE_TZ_TABLE})
endfunction()
