#!/usr/bin/env python3
"""Writes Data/country.dat (table file: fields N 4 and Name 24) from Debian's iso-codes ISO 3166-1 list."""
import json
import pathlib
import struct
import sys

source = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "/usr/share/iso-codes/json/iso_3166-1.json")
countries = json.loads(source.read_text(encoding="utf-8"))["3166-1"]
rows = []
for c in countries:
    name = c.get("common_name", c["name"])
    # The field holds 24 bytes of the ANSI code page; longer names are cut, letters outside it become "?".
    rows.append((c["numeric"].encode("ascii"), name.encode("cp1252", "replace")[:24]))
rows.sort(key=lambda r: r[1].lower())

fields = [(b"N", 4), (b"Name", 24)]
data = struct.pack("<iB", len(rows), len(fields))
for name, size in fields:
    data += struct.pack("<H", size) + name.ljust(8, b"\0")
for code, name in rows:
    data += code.ljust(4, b"\0") + name.ljust(24, b"\0")
out = pathlib.Path(__file__).resolve().parent.parent / "Data" / "country.dat"
out.write_bytes(data)
print(f"{len(rows)} countries written to {out}")
