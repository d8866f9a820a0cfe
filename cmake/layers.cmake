# Which libraries of src/ each library may use. A source that includes a
# header of a library it may not use stops the configuration and the build
# (the target tarvane_layers runs this file as a script on every build), so
# the layers stay as ARCHITECTURE.md draws them: each points only downward.
#   cmake -DTARVANE_SOURCE_DIR=<source folder> -P cmake/layers.cmake
cmake_policy(SET CMP0057 NEW)
if(NOT TARVANE_SOURCE_DIR)
    set(TARVANE_SOURCE_DIR ${PROJECT_SOURCE_DIR})
endif()
set(tarvane_layers_platform platform)
set(tarvane_layers_core platform core)
# tzdb reads the program's own table by its resource id.
set(tarvane_layers_tzdb platform core tzdb resources)
set(tarvane_layers_backup platform core backup)
set(tarvane_layers_win platform win)
set(tarvane_layers_ui platform core tzdb backup win ui resources)
set(tarvane_layers_shell platform core tzdb backup win ui shell resources)
set(tarvane_layers_console platform core tzdb backup console resources)

function(tarvane_check_layers)
    foreach(layer platform core tzdb backup win ui shell console)
        file(GLOB sources ${TARVANE_SOURCE_DIR}/src/${layer}/*.cpp ${TARVANE_SOURCE_DIR}/src/${layer}/*.h)
        foreach(source ${sources})
            file(STRINGS ${source} includes REGEX "^#include \"[a-z_]+/")
            foreach(line ${includes})
                string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" used "${line}")
                if(NOT used IN_LIST tarvane_layers_${layer})
                    file(RELATIVE_PATH where ${TARVANE_SOURCE_DIR} ${source})
                    message(FATAL_ERROR "${where}: src/${layer} may not use src/${used} (${line})")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()
tarvane_check_layers()
