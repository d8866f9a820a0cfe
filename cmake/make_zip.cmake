# Builds the portable zip, run as
#   cmake -DPROGRAM=tarvane.exe -DCONSOLE=tarvanec.exe -DREADME=README.md -DCHANGES=CHANGES.md
#         -DSTAGING=folder -DOUTPUT=x.zip -P make_zip.cmake
# The zip holds the program, the console program and their README and CHANGES as text files with
# Windows line ends, side by side, so it runs from wherever it is unpacked.
foreach(name PROGRAM CONSOLE README CHANGES STAGING OUTPUT)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "make_zip.cmake: ${name} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE ${STAGING})
file(MAKE_DIRECTORY ${STAGING})
file(COPY_FILE ${PROGRAM} ${STAGING}/tarvane.exe)
file(COPY_FILE ${CONSOLE} ${STAGING}/tarvanec.exe)

function(copy_text from to)
    file(READ ${from} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${to} "${text}")
endfunction()
copy_text(${README} ${STAGING}/README.txt)
copy_text(${CHANGES} ${STAGING}/CHANGES.txt)

file(REMOVE ${OUTPUT})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTPUT} --format=zip tarvane.exe tarvanec.exe README.txt CHANGES.txt
    WORKING_DIRECTORY ${STAGING}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cannot write ${OUTPUT}")
endif()
