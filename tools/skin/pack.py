#!/usr/bin/env python3
"""Packs skin members into the program's skin archive, and lists an archive's members.

    pack.py OUT.askin MEMBER_FILE [MEMBER_FILE ...]   pack the files, named by their base names
    pack.py --list ARCHIVE.askin                      print each member's name and sizes

Archive layout, all integers 32-bit little-endian unsigned:

    "ASzf"                       signature, 4 ASCII bytes
    count                        number of members
    count times:
        name length, name bytes  8-bit characters, no terminator
        unpacked size            length of the member's bytes
        zlib stream              the member, one complete RFC 1950 stream (level 9)

There is no compressed-size field: a reader finds the next member by inflating the stream to
its end. Nothing follows the last member. Members are stored in the order given, and zlib at a
fixed level is deterministic, so the same files always give the same archive.
"""

import os
import struct
import sys
import zlib

SIGNATURE = b"ASzf"
U32 = struct.Struct("<I")


def pack(members):
    """The archive bytes for a list of (name, data)."""
    out = bytearray(SIGNATURE)
    out += U32.pack(len(members))
    for name, data in members:
        raw = name.encode("latin-1")
        out += U32.pack(len(raw)) + raw
        out += U32.pack(len(data))
        out += zlib.compress(data, 9)
    return bytes(out)


def unpack(archive):
    """[(name, data, stored size)] of an archive; ValueError when it is malformed."""
    if archive[:4] != SIGNATURE:
        raise ValueError("no ASzf signature")
    at = 4

    def u32():
        nonlocal at
        if at + 4 > len(archive):
            raise ValueError(f"cut short at byte {at}")
        (value,) = U32.unpack_from(archive, at)
        at += 4
        return value

    members = []
    for _ in range(u32()):
        length = u32()
        name = archive[at : at + length].decode("latin-1")
        if len(name) != length:
            raise ValueError("a member name is cut short")
        at += length
        size = u32()
        inflater = zlib.decompressobj()
        data = inflater.decompress(archive[at:])
        if not inflater.eof:
            raise ValueError(f"{name}: the zlib stream does not end")
        stored = len(archive) - at - len(inflater.unused_data)
        if len(data) != size:
            raise ValueError(f"{name}: inflates to {len(data)} bytes, its header says {size}")
        members.append((name, data, stored))
        at += stored
    if at != len(archive):
        raise ValueError(f"{len(archive) - at} bytes after the last member")
    return members


def main(argv):
    if len(argv) == 3 and argv[1] == "--list":
        with open(argv[2], "rb") as f:
            archive = f.read()
        try:
            members = unpack(archive)
        except ValueError as err:
            sys.stderr.write(f"pack: {argv[2]}: {err}\n")
            return 1
        for name, data, stored in members:
            print(f"{name:16} {len(data):8} bytes, stored in {stored:8}")
        print(f"{len(members)} members, {len(archive)} bytes")
        return 0
    if len(argv) < 3 or argv[1].startswith("-"):
        sys.stderr.write(__doc__)
        return 2
    members = []
    for path in argv[2:]:
        with open(path, "rb") as f:
            members.append((os.path.basename(path), f.read()))
    data = pack(members)
    tmp = argv[1] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
