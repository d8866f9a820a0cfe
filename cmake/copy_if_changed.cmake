# cmake -DSOURCE=... -DDESTINATION=... -P copy_if_changed.cmake
# Writes DESTINATION anew only when its bytes differ from SOURCE's, so that
# what depends on it is rebuilt when the content changes, whatever the
# source's time stamp says (a package upgrade keeps the package's own).
file(READ ${SOURCE} wanted HEX)
if(EXISTS ${DESTINATION})
    file(READ ${DESTINATION} held HEX)
    if(held STREQUAL wanted)
        return()
    endif()
endif()
file(READ ${SOURCE} content)
file(WRITE ${DESTINATION}.tmp "${content}")
file(RENAME ${DESTINATION}.tmp ${DESTINATION})
