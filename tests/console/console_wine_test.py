#!/usr/bin/env python3
"""tarvanec as a management tool runs it: one process per command line under
Wine, in a throw-away prefix, with its stdout, stderr and exit code checked.

The table runs in order, since the commands act on one registry: the check of
Wine's own database, its JSON beside the window's check of the same registry,
a crafted backup refused with the registry unchanged, fill --stale and the
check after it, an exported zone imported with reg.exe into a second prefix,
and the backup made before the fill restored. Usage: console_wine_test.py WINE_RUN TARVANEC CHECK_PROBE PREFIX PREFIX2
"""
import csv
import io
import json
import os
import re
import shutil
import subprocess
import sys

wine_run, tarvanec, check_probe, prefix, import_prefix = sys.argv[1:6]
release = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "tzdata2026f.zi")
TIME_ZONES = r"HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones"
failures = []


def fresh(path):
    subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=dict(os.environ, WINEPREFIX=path),
                   stderr=subprocess.DEVNULL, check=False)
    shutil.rmtree(path, ignore_errors=True)
    if os.path.exists(path + ".lock"):
        os.remove(path + ".lock")


def run(args, where=prefix):
    env = dict(os.environ, TARVANE_WINEPREFIX=where)
    done = subprocess.run([wine_run] + args, env=env, capture_output=True, timeout=120, check=False)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8", "replace")


def console(args, where=prefix):
    return run([tarvanec] + args, where)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def lines(text):
    return [line for line in text.replace("\r\n", "\n").split("\n") if line]


def registry_text(where=prefix):
    return run(["reg", "query", TIME_ZONES, "/s"], where)[1]


state = {}
work = prefix + "-files"
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)


def differing(out):
    return [line.split(": differs from ")[0] for line in lines(out) if ": differs from " in line]


def check_wine_database(out):
    state["first check"] = out
    count = int(re.search(r"(\d+) differ for ", lines(out)[-1]).group(1))
    assert count > 0, "Wine's database differs from the tz database somewhere"
    assert count == len(differing(out)), "the last line counts the zones named above it"


def same_as_window(out):
    document = json.loads(out)
    code, probe_out, _ = run([check_probe])
    assert code == 0, "the check probe ran"
    window = [tuple(row) for row in csv.reader(io.StringIO(probe_out))][1:]
    console = [(c["key"], c["region"], c["tzName"], c["status"], c["difference"]) for c in document["checks"]]
    assert console == window, "the JSON holds the window's rows"
    assert document["exitCode"] == 1 and document["counts"]["differ"] > 0


def against_release(out):
    assert re.match(r"IANA tz database 2026f, CLDR \d+, \d+-\d+: 139 zones: ", lines(out)[-1]), \
        "the release's version, CLDR's mapping and every zone"


def crafted_backup():
    # A backup as Make Backup writes it, with a key outside the time-zone
    # database added: the strict reading refuses the whole file.
    code, _, _ = console(["backup", windows_path(work + "/good.trvbkp")])
    assert code == 0
    text = open(work + "/good.trvbkp", "rb").read().decode("utf-16")
    text += '\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"x"="calc.exe"\r\n'
    with open(work + "/crafted.trvbkp", "wb") as crafted:
        crafted.write(text.encode("utf-16"))
    state["before"] = registry_text()


def registry_unchanged(out):
    assert registry_text() == state["before"], "the refused restore changed nothing"
    assert run(["reg", "query", r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run", "/v", "x"])[0] != 0


def filled(out):
    named = [line.split(": not filled from ")[0] for line in lines(out) if ": not filled from " in line]
    state["not filled"] = named
    state["filled"] = [line.split(": filled from ")[0] for line in lines(out) if ": filled from " in line]
    assert state["filled"], "fill --stale wrote zones"
    for key in named:
        assert key in lines(out)[-1], "the last line names the zones left as they are"


def check_after_fill(out):
    assert differing(out) == state["not filled"], "exactly the zones fill could not fill still differ"


def fail_check(reason):
    raise AssertionError(reason)


def check_restored(out):
    assert out == state["first check"], "the restore brought Wine's database back"


def after_fill_exit():
    return 1 if state["not filled"] else 0


def import_elsewhere(out):
    zone = state["filled"][0]
    fresh(import_prefix)
    run(["reg", "delete", TIME_ZONES + "\\" + zone, "/f"], import_prefix)
    code, _, err = run(["reg", "import", windows_path(work + "/zone.reg")], import_prefix)
    assert code == 0, "reg import: " + err
    code, _, _ = console(["export", zone, windows_path(work + "/again.reg")], import_prefix)
    assert code == 0
    assert open(work + "/again.reg", "rb").read() == open(work + "/zone.reg", "rb").read(), \
        "the zone in the second prefix is the exported one"
    mine = [z for z in json.loads(console(["list", "--json"])[1])["zones"] if z["key"] == zone]
    theirs = [z for z in json.loads(console(["list", "--json"], import_prefix)[1])["zones"] if z["key"] == zone]
    assert mine and [dict(z, current=False) for z in mine] == [dict(z, current=False) for z in theirs]


# name, arguments (a function of the state where they depend on it), the exit
# code (or a function giving it), what to check of stdout, something to do first
CASES = [
    ("usage error", ["frob"], 2, None, None),
    ("help", ["help"], 0, lambda out: all(c in out for c in ("list", "check", "fill", "export", "backup",
                                                           "restore", "Exit codes"))),
    ("check of Wine's database", ["check"], 1, check_wine_database),
    ("check's JSON is the window's check", ["check", "--json"], 1, same_as_window),
    ("check against a release file", ["check", "--tzdata", windows_path(release)], 1, against_release),
    ("restore without --yes", lambda: ["restore", windows_path(work + "/crafted.trvbkp")], 2, None),
    ("crafted backup refused", lambda: ["restore", windows_path(work + "/crafted.trvbkp"), "--yes"], 5,
     registry_unchanged, crafted_backup),
    ("fill --stale", ["fill", "--stale"], lambda: 6 if state["not filled"] else 0, filled),
    ("check after fill", ["check"], after_fill_exit, check_after_fill),
    ("export and reg import elsewhere", lambda: ["export", state["filled"][0], windows_path(work + "/zone.reg")],
     0, import_elsewhere),
    # Wine refuses to set the time zone (1314): the restore is done, and says
    # that the zone it names as current could not be made current.
    ("restore of the backup made before the fill", lambda: ["restore", windows_path(work + "/good.trvbkp"), "--yes"],
     7, lambda out: re.search(r"restored, but .* could not be made the current time zone", lines(out)[-1])
     or fail_check("the summary says the restore is done and the activation is not")),
    ("check after the restore", ["check"], 1, lambda out: check_restored(out)),
]

fresh(prefix)
for case in CASES:
    name, args, expected, check_out = case[:4]
    prepare = case[4] if len(case) > 4 else None
    try:
        if prepare:
            prepare()
        arguments = args() if callable(args) else args
        code, out, err = console(arguments)
        print("== %s: tarvanec %s -> %d" % (name, " ".join(arguments), code))
        print(out, end="")
        # fill's exit code is known once its output is.
        if check_out:
            check_out(out)
        want = expected() if callable(expected) else expected
        assert code == want, "exit code %d, expected %d" % (code, want)
        if "--json" in arguments:
            json.loads(out)
        else:
            assert lines(out) and len(lines(out)[-1]) < 2048, "a last line of under 2,048 characters"
        if code < 2:
            assert err == "", "stderr is empty: " + err
        else:
            assert err.strip(), "a failure says why on stderr"
            print("stderr: " + err, end="")
    except AssertionError as error:
        failures.append("%s: %s" % (name, error or "an assertion failed"))
        print("FAIL: %s: %s" % (name, error))

for path in (prefix, import_prefix):
    fresh(path)
shutil.rmtree(work, ignore_errors=True)
print("\n".join(failures) if failures else "OK: every command line")
sys.exit(1 if failures else 0)
