# Builds the Windows Installer package with wixl, run as
#   cmake -DWIXL=... -DMSIBUILD=... -DSOURCE=tarvane.wxs -DVERSION=1.2.3.4
#         -DPROGRAM=tarvane.exe -DCONSOLE=tarvanec.exe -DICON=tarvane.ico -DOUTPUT=x.msi -P make_msi.cmake
foreach(name WIXL MSIBUILD SOURCE VERSION PROGRAM CONSOLE ICON OUTPUT)
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

file(MAKE_DIRECTORY ${staging})
file(COPY_FILE ${PROGRAM} ${staging}/tarvane.exe)
file(COPY_FILE ${CONSOLE} ${staging}/tarvanec.exe)
file(COPY_FILE ${ICON} ${staging}/tarvane.ico)
run(${WIXL} --arch x64 -D Version=${VERSION} -D ProgramFile=tarvane.exe -D ConsoleFile=tarvanec.exe -D IconFile=tarvane.ico
    -o ${OUTPUT} ${SOURCE})

# What wixl cannot write: the event message file as REG_EXPAND_SZ ("#%"), as
# the event log expects it, and a row that removes the source's whole key on
# uninstall ("-"), values added later included.
set(source_key "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tarvane")
run(${MSIBUILD} ${OUTPUT} -q
    "UPDATE `Registry` SET `Value` = '#%[#TarvaneExe]' WHERE `Name` = 'EventMessageFile'")
run(${MSIBUILD} ${OUTPUT} -q
    "INSERT INTO `Registry` (`Registry`, `Root`, `Key`, `Name`, `Component_`) VALUES ('EventSourceKey', 2, '${source_key}', '-', 'Program')")

# The program's folder at the end of the machine's PATH ("*": the system's
# variable, "=": set on install, "-": removed on uninstall, "[~];" after what
# the variable holds), written and removed by the standard actions at their
# usual places in the sequence.
run(${MSIBUILD} ${OUTPUT} -q
    "CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)")
# (Not through run(): its arguments would be split at the semicolon.)
execute_process(COMMAND ${MSIBUILD} ${OUTPUT} -q
    "INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) VALUES ('PathEntry', '=-*PATH', '[~];[INSTALLDIR]', 'Console')"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): the Environment row")
endif()
run(${MSIBUILD} ${OUTPUT} -q
    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)")
run(${MSIBUILD} ${OUTPUT} -q
    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)")
file(REMOVE_RECURSE ${staging})
