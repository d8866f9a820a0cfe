#!/usr/bin/env python3
"""Writes CLDR's mapping of Windows zone keys to IANA zones, from cldr-core's
windowsZones.json, in the form the build's tz table maker
(tools/tz_table_maker, which compiles tzdata.zi with the program's own
compiler) reads beside the tz source data:

    cldr <CLDR version>
    <Windows key> TAB <territory> TAB <zone> [SPACE <zone>...]

one line per key and territory, sorted by key then territory, the zones in
CLDR's order (the first the territory's main zone); every key has a row for
territory 001.

    python3 tools/make_tz_table.py \\
        --windows-zones build/cldr/node_modules/cldr-core/supplemental/windowsZones.json \\
        --output build/generated/cldr_mapping.txt
"""
import argparse
import json
import os
import sys


def read_mapping(path):
    """CLDR's version, and {(Windows key, territory): [IANA zones]} in CLDR's
    order of zones."""
    with open(path, encoding="utf-8") as handle:
        supplemental = json.load(handle)["supplemental"]
    version = supplemental["version"]["_cldrVersion"]
    mapping = {}
    for entry in supplemental["windowsZones"]["mapTimezones"]:
        zone = entry["mapZone"]
        row = (zone["_other"], zone["_territory"])
        if row in mapping:
            raise ValueError(f"CLDR maps {row} twice")
        zones = zone["_type"].split()
        if not zones:
            raise ValueError(f"CLDR maps {row} to no zone")
        mapping[row] = zones
    keys = {key for key, _ in mapping}
    without_default = sorted(key for key in keys if (key, "001") not in mapping)
    if without_default:
        raise ValueError("CLDR maps these keys for no territory 001: " + ", ".join(without_default))
    return version, mapping


def mapping_text(version, mapping):
    for (key, territory), zones in mapping.items():
        if any(ch in key + territory + "".join(zones) for ch in "\t\n"):
            raise ValueError(f"a tab or line feed in the mapping of {key}")
        if len(zones) > 255:
            raise ValueError(f"too many zones for {key} in {territory}")
    lines = [f"cldr {version}"]
    lines += [f"{key}\t{territory}\t{' '.join(mapping[(key, territory)])}" for key, territory in sorted(mapping)]
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--windows-zones", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    try:
        version, mapping = read_mapping(args.windows_zones)
        text = mapping_text(version, mapping)
    except (OSError, ValueError, KeyError, TypeError) as error:
        print(f"make_tz_table: {error}", file=sys.stderr)
        return 1
    temporary = args.output + ".tmp"
    with open(temporary, "w", encoding="ascii", newline="\n") as handle:
        handle.write(text)
    os.replace(temporary, args.output)
    return 0


if __name__ == "__main__":
    sys.exit(main())
