#!/bin/sh
# The MSI as an administrator uses it, in a throw-away prefix made anew for
# each run: a quiet install puts the program under Program Files\Tarvane with a
# Start menu shortcut and registers the event source, with tarvanec.exe beside
# the program and its folder on the machine's PATH; the installed program
# starts and lists the zones, and tarvanec runs by its name; a higher version replaces it, leaving one
# product; the lower one then refuses to go back over it; a quiet uninstall
# removes the files, the shortcut, the source and the PATH entry, and leaves the sources of
# the zones Tarvane created (those zones stay in the system's database).
set -u
runner=$1
msi=$2
next_msi=$3
version=$4
next_version=$5
upgrade_code=$6
window_probe=$7
package_probe=$8
prefix=$9
artifacts=${10}
. "$(dirname "$runner")/e2e-preamble.sh"
# No menu entries for the desktop outside the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
. "$(dirname "$0")/run_program.sh"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

program_dir="$prefix/drive_c/Program Files/Tarvane"
program='C:\Program Files\Tarvane\tarvane.exe'
# Wine puts the shortcut of a per-machine install in the user's Programs
# folder, Windows in the common one: either counts, and only one may exist.
shortcuts() {
    find "$prefix/drive_c" -path '*Start Menu/Programs/Tarvane.lnk' 2>/dev/null | wc -l
}
products() { "$runner" "$package_probe" products "{$upgrade_code}" | tr -d '\r'; }
# The machine's PATH as the registry holds it, how often it names the
# program's folder, and whether a command prompt with that PATH (as Explorer
# gives a new one once the install's WM_SETTINGCHANGE reaches it) finds
# tarvanec by its name. The PATH is set in the prompt itself: how a process
# started from outside Wine comes by its environment is Wine's business, not
# the package's. What the prompt printed is shown when it finds nothing.
machine_path() {
    "$runner" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' /v PATH |
        tr -d '\r' | sed -n 's/^ *PATH *REG_[A-Z_]* *//p'
}
path_entries() { machine_path | tr ';' '\n' | grep -ciF 'C:\Program Files\Tarvane'; }
console_on_path() {
    console_output=$("$runner" cmd /c "set PATH=$(machine_path)&& tarvanec help" 2>&1 | tr -d '\r')
    echo "$console_output" | grep -q 'tarvanec check'
}
console_seen() { echo "the prompt printed: $(echo "$console_output" | head -n 3)"; }
msiexec() {
    "$runner" msiexec "$@"
    code=$?
    "$TARVANE_WINESERVER" -w
    return $code
}

WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k 2>/dev/null
rm -rf "$prefix" "$prefix.lock"
mkdir -p "$artifacts"

echo "== install $version"
msiexec /i "$(windows_path "$msi")" /qn || fail "msiexec /i exited with $code"
[ -f "$program_dir/tarvane.exe" ] || fail "no program under Program Files\\Tarvane"
[ "$(shortcuts)" -eq 1 ] || fail "no Start menu shortcut"
"$runner" "$package_probe" event-source "$program" || fail "the event source"
[ -f "$program_dir/tarvanec.exe" ] || fail "no tarvanec.exe beside the program"
[ "$(path_entries)" -eq 1 ] || fail "the program's folder is not once on the PATH"
console_on_path || { fail "tarvanec is not found on the PATH"; console_seen; }
installed=$(products)
echo "$installed"
[ "$(echo "$installed" | grep -c .)" -eq 1 ] && echo "$installed" | grep -q " $version\$" ||
    fail "not one product of version $version"

echo "== the installed program"
run_program "$runner" "$window_probe" "$program" "$artifacts/msi_installed_program.png"

echo "== upgrade to $next_version"
msiexec /i "$(windows_path "$next_msi")" /qn || fail "msiexec /i of the higher version exited with $code"
installed=$(products)
echo "$installed"
[ "$(echo "$installed" | grep -c .)" -eq 1 ] && echo "$installed" | grep -q " $next_version\$" ||
    fail "not one product of version $next_version after the upgrade"
[ -f "$program_dir/tarvane.exe" ] || fail "the upgrade lost the program"
[ "$(shortcuts)" -eq 1 ] || fail "not one shortcut after the upgrade"
[ "$(path_entries)" -eq 1 ] || fail "the program's folder is not once on the PATH after the upgrade"
"$runner" "$package_probe" event-source "$program" || fail "the event source after the upgrade"

echo "== the lower version over the higher one"
if msiexec /i "$(windows_path "$msi")" /qn; then
    fail "the lower version installed over the higher one"
fi
[ "$(products)" = "$installed" ] || fail "the refused downgrade changed the products"

echo "== uninstall"
sources='HKLM\SOFTWARE\Tarvane Labs\Tarvane\Zone Sources'
"$runner" reg add "$sources" /v "Tarvane Test Standard Time" /d America/Los_Angeles /f >/dev/null 2>&1 ||
    fail "reg add of a zone source"
msiexec /x "$(windows_path "$next_msi")" /qn || fail "msiexec /x exited with $code"
[ -z "$(products)" ] || fail "a product is still installed"
[ ! -e "$program_dir" ] || fail "Program Files\\Tarvane is still there"
[ "$(shortcuts)" -eq 0 ] || fail "the shortcut is still there"
[ "$(path_entries)" -eq 0 ] || fail "the program's folder is still on the PATH"
console_on_path && { fail "tarvanec is still found on the PATH"; console_seen; }
"$runner" "$package_probe" no-event-source || fail "the event source after the uninstall"
"$runner" reg query "$sources" /v "Tarvane Test Standard Time" >/dev/null 2>&1 ||
    fail "the uninstall removed the sources of the zones Tarvane created"

WINEPREFIX="$prefix" "$TARVANE_WINESERVER" -k 2>/dev/null
[ $status -eq 0 ] && echo "OK: install, run, upgrade, uninstall"
exit $status
