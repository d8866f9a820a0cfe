"""A reader of compiled zone files (TZif, RFC 8536), standard library only:
the tests' own reading of zic's output, independent of the program's
compiler of the tz source format, which makes the program's tz table.
"""
import struct

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
