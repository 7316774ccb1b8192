#!/usr/bin/env python3
"""The benchmark's Python peer: the short script someone would write instead
of using splyce. Takes the sections of SOURCE and puts each into the pages
that carry the same id, writing only the pages that changed.

  peer_replace.py SOURCE PAGE...
"""
import re
import sys

SECTION = re.compile(rb"SPLYCE_BLOCK_(\w{1,31})(.*?)SPLYCE_BLOCK_\1(?!\w)", re.S)


def main():
    with open(sys.argv[1], "rb") as f:
        source = f.read()
    sections = {}
    for m in SECTION.finditer(source):
        sections.setdefault(m.group(1), m.group(2))

    def put(m):
        body = sections.get(m.group(1))
        if body is None:
            return m.group(0)
        return b"SPLYCE_BLOCK_" + m.group(1) + body + b"SPLYCE_BLOCK_" + m.group(1)

    for path in sys.argv[2:]:
        with open(path, "rb") as f:
            old = f.read()
        new = SECTION.sub(put, old)
        if new != old:
            with open(path, "wb") as f:
                f.write(new)


if __name__ == "__main__":
    main()
