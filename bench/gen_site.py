#!/usr/bin/env python3
"""Writes a synthetic site for the benchmark: a source file with marked
sections and pages that carry the same marks, every line ended by CR LF.

The output depends only on the arguments, so two runs give identical bytes.

  gen_site.py pages DIR --pages N --page-size BYTES --sections S
              --section-size BYTES --changed K
      N pages p00000.htm ... of about BYTES each, with S sections each; the
      first K pages hold outdated sections, the others are up to date.

  gen_site.py big DIR --size BYTES --sections N --ids K
      one page big.htm of about BYTES with N small sections whose ids cycle
      over K ids; every section grows when updated.
"""
import argparse
import os

MARK = "SPLYCE_BLOCK_"
EOL = "\r\n"

WORDS = ("lorem ipsum dolor sit amet consectetur adipiscing elit sed do eiusmod tempor "
         "incididunt ut labore et dolore magna aliqua enim ad minim veniam quis nostrud "
         "exercitation ullamco laboris nisi aliquip ex ea commodo consequat").split()


class Lines:
    """A deterministic stream of text lines (a small linear congruential generator)."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def word(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return WORDS[(self.state >> 8) % len(WORDS)]

    def line(self, width):
        out = []
        n = 0
        while n < width:
            w = self.word()
            out.append(w)
            n += len(w) + 1
        return " ".join(out)

    def block(self, size, indent="    ", tag="p"):
        """Lines of text totalling about `size` bytes, CR LF included."""
        lines = []
        total = 0
        while total < size:
            width = min(72, max(8, size - total - len(indent) - 2 * len(tag) - 7))
            text = "%s<%s>%s</%s>" % (indent, tag, self.line(width), tag)
            lines.append(text)
            total += len(text) + 2
        return EOL.join(lines) + EOL


def section_body(ident, size, version):
    """What lies between `MARK id` and the closing `MARK id`."""
    gen = Lines(hash_text("%s/%d" % (ident, version)))
    inner = gen.block(max(0, size - 24), indent="  ", tag="li")
    return " -->" + EOL + "<ul>" + EOL + inner + "</ul>" + EOL + "<!-- "


def hash_text(text):
    h = 2166136261
    for ch in text.encode():
        h = ((h ^ ch) * 16777619) & 0xFFFFFFFF
    return h


def marked(ident, body):
    return "<!-- " + MARK + ident + body + MARK + ident + " -->" + EOL


def write_bytes(path, text):
    with open(path, "wb") as f:
        f.write(text.encode("ascii"))


def make_pages(args):
    os.makedirs(args.dir, exist_ok=True)
    ids = ["s%d" % i for i in range(args.sections)]
    current = {i: section_body(i, args.section_size, 2) for i in ids}
    # The outdated version differs in bytes and a little in length.
    outdated = {i: section_body(i, max(0, args.section_size - 40), 1) for i in ids}
    write_bytes(os.path.join(args.dir, "source.txt"),
                "Shared sections" + EOL + "".join(marked(i, current[i]) for i in ids))
    sections_size = sum(len(marked(i, current[i])) for i in ids)
    filler_total = max(0, args.page_size - sections_size - 120)
    gaps = args.sections + 1
    for n in range(args.pages):
        gen = Lines(n * 7919 + 17)
        parts = ["<!DOCTYPE html>" + EOL, "<html><head><title>Page %d</title></head><body>" % n + EOL]
        for k, ident in enumerate(ids):
            parts.append(gen.block(filler_total // gaps))
            parts.append(marked(ident, (outdated if n < args.changed else current)[ident]))
        parts.append(gen.block(filler_total // gaps))
        parts.append("</body></html>" + EOL)
        write_bytes(os.path.join(args.dir, "p%05d.htm" % n), "".join(parts))


def make_big(args):
    os.makedirs(args.dir, exist_ok=True)
    ids = ["s%d" % i for i in range(args.ids)]
    # Every section grows from a short old text to a longer new one.
    new = {i: " -->new text of section %s, longer than before<!-- " % i for i in ids}
    write_bytes(os.path.join(args.dir, "source.txt"),
                "Shared sections" + EOL + "".join(marked(i, new[i]) for i in ids))
    unit = args.size // args.sections
    gen = Lines(99)
    units = []
    for i in ids:
        head = marked(i, " -->old<!-- ")
        units.append(head + gen.block(max(8, unit - len(head))))
    cycle = "".join(units).encode("ascii")
    full, rest = divmod(args.sections, args.ids)
    with open(os.path.join(args.dir, "big.htm"), "wb") as f:
        f.write(b"<!DOCTYPE html>\r\n<html><body>\r\n")
        for _ in range(full):
            f.write(cycle)
        f.write("".join(units[:rest]).encode("ascii"))
        f.write(b"</body></html>\r\n")


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = p.add_subparsers(dest="kind", required=True)
    a = sub.add_parser("pages")
    a.add_argument("dir")
    a.add_argument("--pages", type=int, required=True)
    a.add_argument("--page-size", type=int, required=True)
    a.add_argument("--sections", type=int, default=3)
    a.add_argument("--section-size", type=int, default=1024)
    a.add_argument("--changed", type=int, default=0)
    b = sub.add_parser("big")
    b.add_argument("dir")
    b.add_argument("--size", type=int, required=True)
    b.add_argument("--sections", type=int, required=True)
    b.add_argument("--ids", type=int, default=100)
    args = p.parse_args()
    if args.kind == "pages":
        if not 1 <= args.sections <= 200:
            p.error("--sections must be 1..200")
        make_pages(args)
    else:
        if not 1 <= args.ids <= 200:
            p.error("--ids must be 1..200")
        make_big(args)


if __name__ == "__main__":
    main()
