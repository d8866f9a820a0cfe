#!/usr/bin/env python3
"""Holds the tz table, as the program reads it (tz_table_dump), against
Python's zoneinfo reading of the same compiled zone files: for every zone a
Windows key maps to in any territory, the offset at the start of every year
from 1970 to 2051 and every change of the offset from 1970 to 2050, to the
second; and the rule each zone continues with against the TZ string of the
compiled file, read by the tests' TZif reader. Both readings are
independent of the table's maker, which compiles the tz source itself. The table's mappings are held against the CLDR file it was
made from, counted here from the JSON.

    check_tz_table.py <tz_table_dump> <tz_table.bin> <windowsZones.json> [<zoneinfo folder>]
"""
import datetime
import json
import subprocess
import sys
import os
import zoneinfo

import tzif

START = 0  # 1970-01-01T00:00:00Z
END = int(datetime.datetime(2051, 1, 1, tzinfo=datetime.timezone.utc).timestamp())
DAY = 86400


def offset_function(name):
    zone = zoneinfo.ZoneInfo(name)

    def offset(t):
        return int(datetime.datetime.fromtimestamp(t, tz=zone).utcoffset().total_seconds())
    return offset


def changes(offset):
    """Every change of the offset in (START, END]: sampled daily, then
    narrowed to the second; two changes within a day are both found."""
    found = []
    t, current = START, offset(START)
    while t < END:
        step = min(DAY, END - t)
        if offset(t + step) == current:
            t += step
            continue
        low, high = t, t + step  # offset(low) == current != offset(high)
        while high - low > 1:
            middle = (low + high) // 2
            if offset(middle) == current:
                low = middle
            else:
                high = middle
        current = offset(high)
        found.append((high, current))
        t = high
    return found


def read_dump(text):
    zones, mappings, cldr = {}, {}, None
    name = None
    for line in text.splitlines():
        if line.startswith("map\t"):
            _, key, territory, names = line.split("\t")
            mappings[(key, territory)] = names.split(" ")
            continue
        fields = line.split()
        if fields[0] == "cldr":
            cldr = fields[1]
        elif fields[0] == "zone":
            name = fields[1]
            zones[name] = {"at": [], "change": [], "rule": ""}
        elif fields[0] == "rule":
            zones[name]["rule"] = fields[1] if len(fields) > 1 else ""
        else:
            zones[name][fields[0]].append((int(fields[1]), int(fields[2])))
    return zones, mappings, cldr


def check_mappings(path, mappings, cldr):
    """The number of differences between the table's mappings and CLDR's."""
    with open(path, encoding="utf-8") as handle:
        supplemental = json.load(handle)["supplemental"]
    expected = {}
    for entry in supplemental["windowsZones"]["mapTimezones"]:
        zone = entry["mapZone"]
        expected[(zone["_other"], zone["_territory"])] = zone["_type"].split()
    failures = 0
    if cldr != supplemental["version"]["_cldrVersion"]:
        print(f"the table names CLDR {cldr}, the file is CLDR {supplemental['version']['_cldrVersion']}")
        failures += 1
    for row in sorted(set(expected) | set(mappings)):
        if expected.get(row) != mappings.get(row):
            print(f"mapping {row}: CLDR {expected.get(row)}, the table {mappings.get(row)}")
            failures += 1
    pairs = sum(len(zones) for zones in expected.values())
    print(f"{len(expected)} mappings ({pairs} key, territory and zone triples) checked, {failures} failures")
    return failures


def main():
    if len(sys.argv) > 4:
        zoneinfo.reset_tzpath([sys.argv[4]])
    dump = subprocess.run([sys.argv[1], sys.argv[2]], check=True, capture_output=True, text=True).stdout
    zones, mappings, cldr = read_dump(dump)
    failures = check_mappings(sys.argv[3], mappings, cldr)
    if not mappings:
        failures += 1
    folders = [sys.argv[4]] if len(sys.argv) > 4 else list(zoneinfo.TZPATH)
    for name, table in sorted(zones.items()):
        path = next((os.path.join(f, name) for f in folders if os.path.isfile(os.path.join(f, name))), None)
        footer = tzif.read_tzif(path)[2] if path else None
        if footer != table["rule"]:
            print(f"{name}: the table's rule is {table['rule']!r}, the compiled file's {footer!r}")
            failures += 1
        offset = offset_function(name)
        for t, value in table["at"]:
            if offset(t) != value:
                print(f"{name}: offset at {t} is {offset(t)}, the table says {value}")
                failures += 1
        expected = changes(offset)
        listed = []
        current = offset(START)
        for t, value in table["change"]:
            if value != current and t <= END:
                listed.append((t, value))
                current = value
        if listed != expected:
            difference = sorted(set(listed) ^ set(expected))[:4]
            print(f"{name}: changes differ, first {difference} (table {len(listed)}, zoneinfo {len(expected)})")
            failures += 1
    print(f"{len(zones)} zones checked, {failures} failures")
    return 1 if failures or not zones else 0


if __name__ == "__main__":
    sys.exit(main())
