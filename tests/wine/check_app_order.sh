#!/bin/sh
# The process-wide objects are built as log, application object, optional
# functions, and end in the reverse order.
set -u
runner=$1
probe=$2
out=$("$runner" "$probe" order 2>&1 | tr -d '\r')
echo "$out"
expected='built DiagnosticLog (exit code 0)
built CTarvaneApp (exit code -1)
built LateBoundFunctions (exit code -1)
exit: LateBoundFunctions ends next (ready event 1)
exit: CTarvaneApp ends next (ready event 1)
exit: DiagnosticLog ends next (ready event 0)'
if [ "$out" = "$expected" ]; then
    echo "order as expected"
    exit 0
fi
echo "expected:"
echo "$expected"
exit 1
