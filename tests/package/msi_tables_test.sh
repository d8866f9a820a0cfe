#!/bin/sh
# The MSI's tables without installing it: tarvanec.exe is a file of its own
# component beside the program, and that component puts the program's folder
# at the end of the machine's PATH and takes it off again on uninstall, with
# the actions that do it in the install sequence.
set -u
msi=$1
status=0
fail() { echo "FAIL: $*"; status=1; }
table() { msiinfo export "$msi" "$1" | tr -d '\r'; }

table File | grep -q "^TarvanecExe	Console	tarvanec.exe	" || fail "no tarvanec.exe in the Console component"
table Component | grep -q "^Console	.*	INSTALLDIR	" || fail "the Console component is not in INSTALLDIR"
[ "$(table Environment | grep -c '^PathEntry	=-\*PATH	\[~\];\[INSTALLDIR\]	Console$')" -eq 1 ] ||
    fail "no PATH entry set on install, removed on uninstall: $(table Environment)"
for action in WriteEnvironmentStrings RemoveEnvironmentStrings; do
    table InstallExecuteSequence | grep -q "^$action	" || fail "no $action in the install sequence"
done
[ $status -eq 0 ] && echo "OK: tarvanec.exe and its PATH entry in the MSI"
exit $status
