# Builds the Windows Installer package with wixl, run as
#   cmake -DWIXL=... -DMSIBUILD=... -DSOURCE=tarvane.wxs -DVERSION=1.2.3.4
#         -DPROGRAM=tarvane.exe -DICON=tarvane.ico -DOUTPUT=x.msi -P make_msi.cmake
foreach(name WIXL MSIBUILD SOURCE VERSION PROGRAM ICON OUTPUT)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "make_msi.cmake: ${name} is not set")
    endif()
endforeach()

# wixl takes the files that the package holds by names relative to the folder
# it runs in, so they are copied into one first.
set(staging ${OUTPUT}.files)
function(run)
    execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${staging} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        list(JOIN ARGN " " line)
        message(FATAL_ERROR "failed (${result}): ${line}")
    endif()
endfunction()

file(REMOVE ${OUTPUT})
file(REMOVE_RECURSE ${staging})
file(MAKE_DIRECTORY ${staging})
file(COPY_FILE ${PROGRAM} ${staging}/tarvane.exe)
file(COPY_FILE ${ICON} ${staging}/tarvane.ico)
run(${WIXL} --arch x64 -D Version=${VERSION} -D ProgramFile=tarvane.exe -D IconFile=tarvane.ico
    -o ${OUTPUT} ${SOURCE})

# What wixl cannot write: the event message file as REG_EXPAND_SZ ("#%"), as
# the event log expects it, and a row that removes the source's whole key on
# uninstall ("-"), values added later included.
set(source_key "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tarvane")
run(${MSIBUILD} ${OUTPUT} -q
    "UPDATE `Registry` SET `Value` = '#%[#TarvaneExe]' WHERE `Name` = 'EventMessageFile'")
run(${MSIBUILD} ${OUTPUT} -q
    "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('EventSourceKey', 2, '${source_key}', '-', 'Program')")
file(REMOVE_RECURSE ${staging})
