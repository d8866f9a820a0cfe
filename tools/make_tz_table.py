#!/usr/bin/env python3
"""Builds the tz table that tarvane.exe carries as a resource: every zone of
the IANA tz database with its UTC offsets and transitions from 1970 on (to
2037, or further where the compiled file lists more) and the rule that
continues after them (the POSIX TZ string at the end of each compiled zone
file), every zone name and link, the database's version, and CLDR's mapping
of Windows zone keys to IANA zones: for each key, every territory (001 and
the ISO 3166 codes) with its zones in CLDR's order, the first its main zone.

Standard library only. The compiled zone files (TZif) are read here, not
through Python's zoneinfo: the tests check this table against zoneinfo, so
the two readings stay independent.

    python3 tools/make_tz_table.py --zoneinfo build/generated/zoneinfo \\
        --windows-zones tools/cldr/node_modules/cldr-core/supplemental/windowsZones.json \\
        --output build/tz_table.bin

--zoneinfo is a folder of compiled zone files with the tzdata.zi they were
compiled from (the build compiles it with zic); --windows-zones is CLDR's
JSON form of the mapping (the npm package cldr-core).

The layout, all integers little-endian, texts a length byte and ASCII:

    "TVTZ", u16 format (2), text tz version, text CLDR version
    u16 zone count, then per zone:
        u8 type count, per type: i32 UTC offset in seconds, u8 daylight flag
        u8 type in force on 1970-01-01 00:00 UTC
        u16 transition count, per transition: u32 seconds since the previous
            one (the first: since 1970-01-01 00:00 UTC), u8 type
        text rule that continues after the last transition (may be empty)
    u16 name count, sorted by name, per name: text name, u16 zone
    u16 mapping count, sorted by key then territory, per mapping: text
        Windows key, text territory ("001" or two capital letters), u8 zone
        count (at least 1), per zone: u16 name; every key has a "001" row

Zones whose data from 1970 on is the same are stored once. A transition that
changes neither the offset nor the daylight flag (a new abbreviation, the end
marker of a 32-bit file) is left out.
"""
import argparse
import os
import struct
import sys
import json

FORMAT = 2
FIRST = 0  # 1970-01-01T00:00:00Z


def read_tzif(path):
    """(types, transitions, footer) of a compiled zone file: types as
    (offset, daylight) pairs, transitions as (time, type) pairs."""
    with open(path, "rb") as handle:
        data = handle.read()

    def header(at):
        if data[at:at + 4] != b"TZif":
            raise ValueError(f"{path}: not a TZif file")
        version = data[at + 4]
        counts = struct.unpack(">6l", data[at + 20:at + 44])
        return version, counts

    def block(at, counts, time_size):
        isutcnt, isstdcnt, leapcnt, timecnt, typecnt, charcnt = counts
        time_format = ">%d%s" % (timecnt, "q" if time_size == 8 else "l")
        times = struct.unpack(time_format, data[at:at + timecnt * time_size])
        at += timecnt * time_size
        indices = data[at:at + timecnt]
        at += timecnt
        types = []
        for i in range(typecnt):
            offset, daylight, _ = struct.unpack(">lBB", data[at + i * 6:at + i * 6 + 6])
            types.append((offset, daylight))
        at += typecnt * 6 + charcnt + leapcnt * (time_size + 4) + isstdcnt + isutcnt
        return list(zip(times, indices)), types, at

    version, counts = header(0)
    transitions, types, at = block(44, counts, 4)
    footer = ""
    if version >= ord("2"):
        version, counts = header(at)
        transitions, types, at = block(at + 44, counts, 8)
        end = data.index(b"\n", at + 1)
        footer = data[at + 1:end].decode("ascii")
    for _, index in transitions:
        if index >= len(types):
            raise ValueError(f"{path}: transition to type {index} of {len(types)}")
    return types, transitions, footer


def zone_data(path):
    """What the table holds of one zone: the types in use from 1970 on, the
    type in force at 1970, the transitions after it and the footer."""
    types, transitions, footer = read_tzif(path)
    # Before the first transition the first type is in force (RFC 8536).
    initial = 0
    kept = []
    for time, index in transitions:
        if time <= FIRST:
            initial = index
        elif types[index] != types[kept[-1][1] if kept else initial]:
            kept.append((time, index))
    used = []
    for index in [initial] + [index for _, index in kept]:
        if types[index] not in used:
            used.append(types[index])
    if len(used) > 255:
        raise ValueError(f"{path}: too many types")
    renumber = {i: used.index(types[i]) for i in range(len(types)) if types[i] in used}
    return (
        tuple(used),
        renumber[initial],
        tuple((time, renumber[index]) for time, index in kept),
        footer,
    )


def read_names(zoneinfo):
    """The zones and links of the database, from its tzdata.zi, and its version."""
    zones, links, version = [], {}, ""
    with open(os.path.join(zoneinfo, "tzdata.zi"), encoding="ascii") as handle:
        for line in handle:
            fields = line.split()
            if line.startswith("# version"):
                version = fields[2]
            elif fields and fields[0] == "Z":
                zones.append(fields[1])
            elif fields and fields[0] == "L":
                links[fields[2]] = fields[1]
    if not version:
        raise ValueError("tzdata.zi names no version")
    return version, zones, links


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


def text(value):
    raw = value.encode("ascii")
    if len(raw) > 255:
        raise ValueError(f"text too long: {value}")
    return struct.pack("<B", len(raw)) + raw


def build(zoneinfo, windows_zones):
    version, zone_names, links = read_names(zoneinfo)
    stored = []  # distinct zone data
    index_of_data = {}
    zone_of_name = {}
    for name in zone_names:
        data = zone_data(os.path.join(zoneinfo, name))
        if data not in index_of_data:
            index_of_data[data] = len(stored)
            stored.append(data)
        zone_of_name[name] = index_of_data[data]
    for link, target in links.items():
        while target in links and target not in zone_of_name:
            target = links[target]
        zone_of_name[link] = zone_of_name[target]

    names = sorted(zone_of_name)
    name_index = {name: i for i, name in enumerate(names)}
    cldr_version, mapping = read_mapping(windows_zones)
    missing = sorted({zone for zones in mapping.values() for zone in zones if zone not in name_index})
    if missing:
        raise ValueError("CLDR names zones the tz database lacks: " + ", ".join(missing))
    if len(stored) > 0xFFFF or len(names) > 0xFFFF:
        raise ValueError("too many zones")

    out = bytearray(b"TVTZ")
    out += struct.pack("<H", FORMAT)
    out += text(version)
    out += text(cldr_version)
    out += struct.pack("<H", len(stored))
    for types, initial, transitions, footer in stored:
        out += struct.pack("<B", len(types))
        for offset, daylight in types:
            out += struct.pack("<lB", offset, daylight)
        out += struct.pack("<BH", initial, len(transitions))
        previous = FIRST
        for time, index in transitions:
            out += struct.pack("<LB", time - previous, index)
            previous = time
        out += text(footer)
    out += struct.pack("<H", len(names))
    for name in names:
        out += text(name) + struct.pack("<H", zone_of_name[name])
    out += struct.pack("<H", len(mapping))
    for key, territory in sorted(mapping):
        zones = mapping[(key, territory)]
        if len(zones) > 255:
            raise ValueError(f"too many zones for {key} in {territory}")
        out += text(key) + text(territory) + struct.pack("<B", len(zones))
        for zone in zones:
            out += struct.pack("<H", name_index[zone])
    return bytes(out), f"{version}, CLDR {cldr_version}", len(stored), len(names), len(mapping)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--zoneinfo", required=True)
    parser.add_argument("--windows-zones", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()
    try:
        table, version, zones, names, mapped = build(args.zoneinfo, args.windows_zones)
    except (OSError, ValueError, KeyError, TypeError) as error:
        print(f"make_tz_table: {error}", file=sys.stderr)
        return 1
    temporary = args.output + ".tmp"
    with open(temporary, "wb") as handle:
        handle.write(table)
    os.replace(temporary, args.output)
    print(f"tz table {version}: {zones} zones, {names} names, {mapped} mappings, {len(table)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
