#!/usr/bin/env python3
"""Holds the program's compiler of the tz source format (tz_source_dump)
against the real zic compiling the same input into a temporary folder. The
compiled files are read by the tests' TZif reader (tzif.py), and their TZ
strings are evaluated here; for every zone and link the offset in force on
1970-01-01, every change of offset or daylight flag from 1970 to 2100 and the
TZ string must agree, as must the set of names. Refused inputs must be
refused by both, on the same line.

    check_tz_source.py <tz_source_dump> <zic> zi <tzdata.zi>
        the installed release, whatever its version
    check_tz_source.py <tz_source_dump> <zic> tarball <tzdata.zi>
        a tarball made here from the same data, as IANA lays one out: a
        version file, the zone and rule lines dealt out over the ten source
        files zic compiles, and files of other kinds (which hold lines zic
        would refuse) beside them
    check_tz_source.py <tz_source_dump> <zic> crafted
        the forms real data rarely uses, and lines zic refuses
"""
import calendar
import os
import re
import subprocess
import sys
import tarfile
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tzif  # noqa: E402  (the reader of compiled zone files)

END = calendar.timegm((2101, 1, 1, 0, 0, 0))
SOURCES = ["africa", "antarctica", "asia", "australasia", "europe", "northamerica", "southamerica",
           "etcetera", "factory", "backward"]

CRAFTED = {
    "negative SAVE": """R E 1971 o - O 31 2u -1 -
R E 1972 1980 - Mar Sun>=16 1u 0 -
R E 1972 1980 - O Sun>=23 1u -1 -
R E 1981 ma - Mar lastSun 1u 0 -
R E 1996 ma - O lastSun 1u -1 -
Z Test/Negative -0:25:21 - LMT 1916 May 21 2s
1 E IST/GMT
""",
    "24:00 and times beyond a day or negative": """Rule J 1985 max - Apr Fri>=1 24:00 1 S
Rule J 1985 max - Oct Fri>=1 -1:00 0 -
Rule K 1990 max - Mar Sat>=8 25:00 1 D
Rule K 1990 max - Nov Sun>=1 0:30u 0 S
Zone Test/Midnight 2:00 J EE%sT
Zone Test/Beyond -7:00 K M%sT
""",
    "Sun<=25 and lastSun": """R S 1990 ma - Mar Sun<=25 2 1 S
R S 1990 ma - O lastSun 2s 0 -
Z Test/Before 1 S CE%sT
""",
    "a rule that starts mid-zone": """R M 1985 ma - Ap Sun>=1 2 1 D
R M 1985 ma - O lastSun 2 0 S
Z Test/MidZone -6 - CST 1980
-5 M E%sT
""",
    "UNTIL inside a daylight period": """R U 1975 ma - Ap lastSun 2 1 D
R U 1975 ma - O lastSun 2 0 S
Z Test/UntilInDst -5 U E%sT 1990 Jul 1 12
-6 U C%sT 1995 Jun 1 3u
-6 - CST 2001 Mar 1 0s
-5 U E%sT
""",
    "RULES as an amount, %z and all-year daylight time": """Z Test/AllYear 1 1:00 CEST
Z Test/Negative -5 -1:00 %z 1990
-5 0:30 %z 2000 Jan 1 0:00
-5 2 %z
Z Test/Fraction 0:29:45.50 - BMT 1980
3:30 - %z
""",
    "zone and rule changes at one instant": """R X 1980 ma - Mar lastSun 1u 1 S
R X 1980 ma - O lastSun 1u 0 -
Z Test/Same 2 - EET 1990 Mar 25 1u
1 X CE%sT 2000 O 29 1u
2 X EE%sT
Z Test/Merged 1 - CET 1985 Mar 31 2
2 X EE%sT
""",
    "names, links and abbreviations": """rule ended 1970 1979 - May Sun>=1 0 1 D
RULE ended 1970 1979 - September Sunday>=1 0 0 S
ZONE Test/Ended -4 ended A%sT
Li Test/Ended Test/Link
L Test/Link Test/LinkToLink
R Leap 2000 only - F 29 2 1 -
R Leap 2000 only - D 1 0 0 -
Z Test/Leap 0 Leap GMT/BST
""",
    "rules that have ended, daylight time for good, rules to 2037": """R U 1975 1985 - Ap lastSun 2 1 D
R U 1975 1984 - O lastSun 2 0 S
Z Test/DaylightForGood -5 U E%sT
R V 1975 2037 - Ap lastSun 2 1 D
R V 1975 2037 - O lastSun 2 0 S
Z Test/To2037 -5 V E%sT 1980
-5 U E%sT 1990
-6 V C%sT
""",
    "past the month's end, from 2040 on, southern hemisphere": """R C 1990 ma - O Sun>=31 2 1 S
R C 1990 ma - Mar Sun>=29 2 0 -
Z Test/Crossing 1 C CE%sT
R Q 2040 ma - Mar lastSun 1u 1 S
R Q 2040 ma - O lastSun 1u 0 -
Z Test/Late 1 Q CE%sT
R A 2008 ma - Ap Sun>=1 2s 0 S
R A 2008 ma - O Sun>=1 2s 1 D
Z Test/South 10 A AE%sT
""",
    "abbreviations a TZ reader would not take unquoted": """Z Test/Short 0:0:60 - LMT 1980
-0:30:30.5 - X 1990
1:2:3.51 - Y 2000
1:2:4.5 - Z
""",
    # Refused: zic's message names the line, and the program's must too.
    "refused: unknown line": "R A 1990 ma - Mar lastSun 2 1 S\n\nWhat is this\n",
    "refused: no continuation": "Z Test/Open 1 - CET 1990\n",
    "refused: unterminated": "Z Test/Open 1 - CET\nL Test/Open Test/Alias",
    "refused: February 29": "R F 2001 o - F 29 2 1 -\nZ Test/F 0 F GMT/BST\n",
    "refused: bad month": "R A 1990 ma - Foo lastSun 2 1 S\n",
    "refused: %s without rules": "# a comment\nZ Test/S 1 - CE%sT\n",
    "refused: two rules at once": "R A 1990 ma - Mar 1 2 1 S\nR A 1990 ma - Mar 1 2 0 -\nZ Test/T 1 A C%sT\n",
    "refused: continuation ends before": "Z Test/Back 1 - CET 1990\n2 - EET 1980\n3 - MSK\n",
}


def parse_tz_string(text):
    """(std offset, dst offset, start, end) of a TZ string, offsets east of
    UT; start and end as (kind, a, b, c, time) or None without daylight time."""
    name = r"(?:<[^>]*>|[A-Za-z]+)"
    offset = r"[+-]?\d+(?::\d+){0,2}"
    date = r"(M\d+\.\d+\.\d+|J\d+|\d+)(?:/(" + offset + "))?"
    match = re.fullmatch(f"{name}({offset})(?:{name}({offset})?,{date},{date})?", text)
    if not match:
        raise ValueError(f"unreadable TZ string {text!r}")

    def seconds(value):
        sign = -1 if value.startswith("-") else 1
        parts = [int(p) for p in value.lstrip("+-").split(":")] + [0, 0]
        return sign * (parts[0] * 3600 + parts[1] * 60 + parts[2])

    std = -seconds(match[1])
    if match[3] is None:
        return std, std, None, None
    dst = -seconds(match[2]) if match[2] else std + 3600
    rules = [(match[3], seconds(match[4]) if match[4] else 7200),
             (match[5], seconds(match[6]) if match[6] else 7200)]
    return std, dst, rules[0], rules[1]


def rule_day(spec, year):
    """Days since 1970-01-01 of the day a TZ rule names in `year`."""
    first = calendar.timegm((year, 1, 1, 0, 0, 0)) // 86400
    if spec.startswith("M"):
        month, week, weekday = (int(p) for p in spec[1:].split("."))
        start = calendar.timegm((year, month, 1, 0, 0, 0)) // 86400
        day = start + (weekday - (start + 4) % 7) % 7 + 7 * (week - 1)
        while day >= start + calendar.monthrange(year, month)[1]:
            day -= 7
        return day
    if spec.startswith("J"):
        n = int(spec[1:])
        return first + n - 1 + (1 if calendar.isleap(year) and n >= 60 else 0)
    return first + int(spec)


def zic_changes(path):
    """(offset and daylight flag at 1970, changes to END, TZ string) of a compiled file."""
    types, initial, transitions, footer = tzif.zone_data(path)
    changes = [(t, types[i][0], types[i][1]) for t, i in transitions if t <= END]
    last = transitions[-1][0] if transitions else 0
    if footer:
        std, dst, start, end = parse_tz_string(footer)
        if start:
            first_year = max(1970, time_year(last) - 1)
            extra = []
            for year in range(first_year, 2102):
                extra.append((rule_day(start[0], year) * 86400 + start[1] - std, dst, 1))
                extra.append((rule_day(end[0], year) * 86400 + end[1] - dst, std, 0))
            # Changes at one instant: the later in the rule's order holds.
            extra.sort(key=lambda change: change[0])
            merged = {}
            for change in extra:
                if last < change[0] <= END:
                    merged[change[0]] = change
            changes += sorted(merged.values())
    return types[initial], changes, footer


def time_year(t):
    return 1970 + t // (365 * 86400) if t >= 0 else 1970


def reduced(initial, changes):
    """The changes that change the offset or the daylight flag."""
    out, current = [], tuple(initial)
    for t, offset, daylight in changes:
        if (offset, daylight) != current:
            out.append((t, offset, daylight))
            current = (offset, daylight)
    return out


def read_dump(text):
    zones, name = {}, None
    for line in text.splitlines():
        word, _, rest = line.partition(" ")
        if word == "name":
            name = rest
            zones[name] = {"rule": "", "initial": None, "changes": []}
        elif word == "rule":
            zones[name]["rule"] = rest
        elif word == "initial":
            zones[name]["initial"] = tuple(int(v) for v in rest.split())
        elif word == "change":
            zones[name]["changes"].append(tuple(int(v) for v in rest.split()))
    return zones


def run_zic(zic, folder, sources):
    result = subprocess.run([zic, "-d", folder] + sources, capture_output=True, text=True)
    errors = [line for line in result.stderr.splitlines() if "warning" not in line]
    return result.returncode, errors


def compare(dump, zic, sources, release, version=None):
    """Failures found (printed), comparing one input."""
    with tempfile.TemporaryDirectory() as folder:
        output = os.path.join(folder, "out")
        code, errors = run_zic(zic, output, sources)
        ours = subprocess.run([dump, release], capture_output=True, text=True)
        if code != 0:
            zic_line = re.search(r"line (\d+)", errors[0] if errors else "")
            our_line = re.match(r"refused .*:(\d+): ", ours.stdout)
            if ours.returncode != 1 or not zic_line or not our_line or zic_line[1] != our_line[1]:
                print(f"zic refuses with {errors[:1]}, the program says {ours.stdout.strip()[:200]!r}")
                return 1
            return 0
        if ours.returncode != 0:
            print(f"zic compiles the input, the program says {ours.stdout.strip()[:200]!r} {ours.stderr[:200]}")
            return 1
        zones = read_dump(ours.stdout)
        names = sorted(os.path.relpath(os.path.join(root, f), output)
                       for root, _, files in os.walk(output) for f in files)
        failures = 0
        if version is not None and not ours.stdout.startswith(f"version {version}\n"):
            print(f"version: the program says {ours.stdout.splitlines()[0]!r}, the release {version}")
            failures += 1
        if names != sorted(zones):
            print(f"names differ: {sorted(set(names) ^ set(zones))[:8]}")
            failures += 1
        for name in names:
            if name not in zones:
                continue
            initial, changes, footer = zic_changes(os.path.join(output, name))
            ours_zone = zones[name]
            expected = reduced(initial, changes)
            listed = reduced(ours_zone["initial"], ours_zone["changes"])
            if tuple(initial) != ours_zone["initial"] or expected != listed:
                difference = sorted(set(expected) ^ set(listed))[:4]
                print(f"{name}: initial {initial} / {ours_zone['initial']}, changes differ {difference}"
                      f" (zic {len(expected)}, program {len(listed)})")
                failures += 1
            # A name the program's TZ reader would not take unquoted may be
            # quoted: the same rule.
            if footer != ours_zone["rule"] and footer != re.sub(r"<([A-Za-z]+)>", r"\1", ours_zone["rule"]):
                print(f"{name}: TZ string {footer!r}, the program {ours_zone['rule']!r}")
                failures += 1
        print(f"{release}: {len(names)} names checked, {failures} failures")
        return failures


def make_tarball(zi_path, folder):
    """A release tarball from tzdata.zi: its groups of lines (a Rule, a Link,
    or a Zone with its continuation lines) dealt out over the ten sources."""
    with open(zi_path, encoding="utf-8") as handle:
        lines = handle.read().splitlines(keepends=True)
    version = next(line.split()[2] for line in lines if line.startswith("# version"))
    files = {name: [] for name in SOURCES}
    group = -1
    for line in lines:
        if line.startswith("#"):
            continue
        if line[:1] in "RZL":
            group += 1
        files[SOURCES[max(group, 0) % len(SOURCES)]].append(line)
    files["version"] = [version + "\n"]
    # Files a release holds that zic does not compile by default.
    files["leapseconds"] = ["Leap\t2016\tDec\t31\t23:59:60\t+\tS\n"]
    files["backzone"] = ["This is no zic input\n"]
    files["zone1970.tab"] = ["#country-\n"]
    files["Makefile"] = ["all:\n"]
    sources = []
    for name, content in files.items():
        path = os.path.join(folder, name)
        with open(path, "w", encoding="utf-8") as handle:
            handle.writelines(content)
        if name in SOURCES:
            sources.append(path)
    tarball = os.path.join(folder, f"tzdata{version}.tar.gz")
    with tarfile.open(tarball, "w:gz", format=tarfile.PAX_FORMAT) as archive:
        for name in files:
            archive.add(os.path.join(folder, name), arcname=name)
    return tarball, sources, version


def main():
    dump, zic, mode = sys.argv[1:4]
    if mode == "zi":
        zi = sys.argv[4]
        with open(zi, encoding="utf-8") as handle:
            version = next(line.split()[2] for line in handle if line.startswith("# version"))
        return 1 if compare(dump, zic, [zi], zi, version) else 0
    if mode == "tarball":
        with tempfile.TemporaryDirectory() as folder:
            tarball, sources, version = make_tarball(sys.argv[4], folder)
            return 1 if compare(dump, zic, sources, tarball, version) else 0
    failures = 0
    with tempfile.TemporaryDirectory() as folder:
        for name, text in CRAFTED.items():
            path = os.path.join(folder, "case.zi")
            with open(path, "w", encoding="utf-8") as handle:
                handle.write("# version 0test\n" + text)
            print(f"case: {name}")
            failures += compare(dump, zic, [path], path)
    print(f"{len(CRAFTED)} crafted cases, {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
