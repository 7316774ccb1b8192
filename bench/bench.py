#!/usr/bin/env python3
"""Runs the splyce benchmark: generates the synthetic sites under a scratch
folder, times splyce, the floor commands (cat, cp) and the peers (a perl
one-liner, a Python script, the npm package replace-in-file) on fresh copies of
the same site, checks that every peer left the same page bytes as splyce, and
prints a table of medians. Started by bench/run.sh, which builds splyce and
installs the npm peer first.
"""
import argparse
import glob
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))

PERL_ONE_LINER = (
    r'BEGIN { open my $f, "<", shift @ARGV or die; local $/; my $s = <$f>;'
    r' $n{$1} //= $2 while $s =~ /SPLYCE_BLOCK_(\w{1,31})(.*?)SPLYCE_BLOCK_\1(?!\w)/gs }'
    r' s/SPLYCE_BLOCK_(\w{1,31})(.*?)SPLYCE_BLOCK_\1(?!\w)/'
    r'exists $n{$1} ? "SPLYCE_BLOCK_$1$n{$1}SPLYCE_BLOCK_$1" : $&/gse'
)

MB = 1_000_000


def workloads(quick):
    pages_a = dict(kind="pages", pages=2000, page_size=32768, sections=3, section_size=1024)
    return [
        dict(name="a", title="2,000 pages of 32 KB, 3 sections, all change", site=dict(pages_a, changed=2000),
             changes=2000),
        dict(name="b", title="the same 2,000 pages, nothing to change", site=dict(pages_a, changed=0), changes=0),
        dict(name="c", title="one 200 MB page, 1,000,000 sections, all grow",
             site=dict(kind="big", size=200 * MB, sections=1_000_000, ids=100), changes=1),
        dict(name="d", title="20,000 pages of 2 KB, 3 sections, all change",
             site=dict(kind="pages", pages=20000, page_size=2048, sections=3, section_size=256, changed=20000),
             changes=20000),
    ]


def scaling_sites(quick):
    sizes = [25, 50, 100, 200]
    return [dict(kind="big", size=s * MB, sections=s * 5000, ids=100) for s in sizes]


def site_key(site):
    return "-".join("%s%s" % (k, site[k]) for k in sorted(site))


def make_site(root, site):
    """The master copy of a site, generated once and kept between runs."""
    path = os.path.join(root, "sites", site_key(site))
    stamp = os.path.join(path, ".complete")
    if os.path.exists(stamp):
        return path
    shutil.rmtree(path, ignore_errors=True)
    cmd = [sys.executable, os.path.join(HERE, "gen_site.py"), site["kind"], path]
    for k, v in site.items():
        if k != "kind":
            cmd += ["--" + k.replace("_", "-"), str(v)]
    subprocess.run(cmd, check=True)
    open(stamp, "w").close()
    return path


def pages_of(directory):
    return sorted(os.path.basename(p) for p in glob.glob(os.path.join(directory, "*.htm")))


def digest(directory):
    h = hashlib.sha256()
    for name in pages_of(directory):
        h.update(name.encode() + b"\0")
        with open(os.path.join(directory, name), "rb") as f:
            while True:
                chunk = f.read(1 << 22)
                if not chunk:
                    break
                h.update(chunk)
    return h.hexdigest()


def site_bytes(directory):
    return sum(os.path.getsize(os.path.join(directory, n)) for n in pages_of(directory))


def fresh_copy(master, work):
    shutil.rmtree(work, ignore_errors=True)
    subprocess.run(["cp", "-a", master, work], check=True)
    # Dirty pages of the copy must not be written back during the timed run.
    os.sync()


def timed(argv, cwd, stdout_path):
    """Wall time in seconds and peak resident memory in bytes of one run."""
    with open(stdout_path, "ab" if stdout_path == os.devnull else "wb") as out:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, cwd=cwd, stdout=out, stderr=subprocess.STDOUT)
        _, status, usage = os.wait4(proc.pid, 0)
        elapsed = time.perf_counter() - start
    proc.returncode = os.waitstatus_to_exitcode(status)
    if proc.returncode != 0:
        tail = ""
        if stdout_path != os.devnull:
            with open(stdout_path, "rb") as f:
                tail = f.read()[-2000:].decode(errors="replace")
        raise RuntimeError("%s failed (%d):\n%s" % (argv[0], proc.returncode, tail))
    return elapsed, usage.ru_maxrss * 1024


class Bench:
    def __init__(self, args):
        self.args = args
        self.root = args.dir
        self.work = os.path.join(self.root, "work")
        self.scratch = os.path.join(self.root, "scratch")
        self.log = os.path.join(self.root, "last-output.txt")

    def commands(self, pages):
        """name -> (argv, whether it rewrites the pages); all run inside the copy."""
        a = self.args
        return {
            "splyce": ([a.splyce, "source.txt"], True),
            "cat": (["cat", "--"] + pages, False),
            "cp": (["cp", "--"] + pages + [self.scratch], False),
            "perl": (["perl", "-0777", "-pi", "-e", PERL_ONE_LINER, "source.txt"] + pages, True),
            "python": ([sys.executable, os.path.join(HERE, "peer_replace.py"), "source.txt"] + pages, True),
            "replace-in-file": (["node", os.path.join(HERE, "peer_replace_in_file.mjs"), a.npm_dir, "source.txt",
                                 "*.htm"], True),
        }

    def prepare(self, name, master):
        fresh_copy(master, self.work)
        if name == "cp":
            shutil.rmtree(self.scratch, ignore_errors=True)
            os.makedirs(self.scratch)

    def reference(self, master, expected_changes):
        """splyce's result on the site, checked against what the generator intended."""
        self.prepare("splyce", master)
        before = digest(self.work)
        # Peak memory through GNU time: a child forked from this Python would
        # count Python's own pages in its maximum resident size.
        rss = os.path.join(self.root, "peak-rss.txt")
        timed(["/usr/bin/time", "-f", "%M", "-o", rss, self.args.splyce, "source.txt"], self.work, self.log)
        with open(rss) as f:
            self.peak = int(f.read().split()[-1]) * 1024
        with open(self.log) as f:
            lines = f.read().splitlines()
        updated = sum(1 for l in lines if l.startswith("splyce: Updated "))
        if updated != expected_changes:
            raise RuntimeError("splyce updated %d pages, expected %d" % (updated, expected_changes))
        if expected_changes == 0 and lines[-1:] != ["splyce: No file has been changed."]:
            raise RuntimeError("splyce reported a change on a site that needs none")
        after = digest(self.work)
        if (after == before) != (expected_changes == 0):
            raise RuntimeError("splyce's output does not match the expected change")
        return after

    def measure(self, master, names, expected_changes, runs):
        pages = pages_of(master)
        cmds = self.commands(pages)
        want = self.reference(master, expected_changes)
        times = {n: [] for n in names}
        for r in range(runs):
            # Rotate the order so that background load spreads over all commands.
            order = names[r % len(names):] + names[:r % len(names)]
            for name in order:
                argv, rewrites = cmds[name]
                self.prepare(name, master)
                # cat writes to /dev/null, as the floor is defined; into a file
                # it would copy the pages in the kernel instead of reading them.
                elapsed, _ = timed(argv, self.work, os.devnull if name == "cat" else self.log)
                if rewrites:
                    got = digest(self.work)
                    if got != want:
                        raise RuntimeError("%s left other page bytes than splyce" % name)
                times[name].append(elapsed)
                if self.args.verbose:
                    print("  %-16s run %d: %.4f s" % (name, r + 1, elapsed), flush=True)
        return times, self.peak


def fmt_time(s):
    return "%.3f" % s if s >= 0.1 else "%.4f" % s


def main():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--splyce", required=True)
    p.add_argument("--npm-dir", required=True, help="folder holding node_modules/replace-in-file")
    p.add_argument("--dir", default="/tmp/splyce-bench")
    p.add_argument("--quick", action="store_true")
    p.add_argument("--runs", type=int)
    p.add_argument("--only", default="", help="comma-separated workloads, e.g. a,b (plot: 'plot')")
    p.add_argument("--no-peers", action="store_true", help="time splyce and the floors only")
    p.add_argument("--verbose", action="store_true")
    args = p.parse_args()
    args.splyce = os.path.abspath(args.splyce)
    runs = args.runs or (3 if args.quick else 5)
    only = set(filter(None, args.only.split(",")))
    bench = Bench(args)
    os.makedirs(args.dir, exist_ok=True)
    results = {"runs": runs, "workloads": [], "scaling": []}
    names = ["splyce", "cat", "cp"] + ([] if args.no_peers else ["perl", "python", "replace-in-file"])

    for wl in workloads(args.quick):
        if only and wl["name"] not in only:
            continue
        master = make_site(args.dir, wl["site"])
        size = site_bytes(master)
        print("workload (%s): %s [%d pages, %.1f MB, %d runs]" % (wl["name"], wl["title"], len(pages_of(master)),
                                                                  size / MB, runs), flush=True)
        times, peaks = bench.measure(master, names, wl["changes"], runs)
        med = {n: statistics.median(times[n]) for n in names}
        results["workloads"].append(dict(name=wl["name"], title=wl["title"], bytes=size, pages=len(pages_of(master)),
                                         median=med, times=times,
                                         splyce_peak=peaks))

    if not only or "plot" in only:
        for site in scaling_sites(args.quick):
            master = make_site(args.dir, site)
            size = site_bytes(master)
            print("scaling: %.0f MB page, %d sections" % (size / MB, site["sections"]), flush=True)
            times, peaks = bench.measure(master, ["splyce", "cat"], 1, runs)
            results["scaling"].append(dict(bytes=size, sections=site["sections"],
                                           splyce=statistics.median(times["splyce"]),
                                           cat=statistics.median(times["cat"]),
                                           splyce_peak=peaks))

    report(results, args.dir)


def report(results, out_dir):
    lines = ["", "Median of %d runs per command (wall time in seconds; ratio = time / splyce's time)." % results["runs"],
             ""]
    lines.append("| workload | command | median s | ratio to splyce |")
    lines.append("|---|---|---:|---:|")
    for wl in results["workloads"]:
        base = wl["median"]["splyce"]
        for name, t in wl["median"].items():
            lines.append("| (%s) %s | %s | %s | %.2f |" % (wl["name"], wl["title"], name, fmt_time(t), t / base))
    lines.append("")
    lines.append("| workload | site MB | splyce peak memory MB | peak / site size |")
    lines.append("|---|---:|---:|---:|")
    for wl in results["workloads"]:
        lines.append("| (%s) | %.1f | %.1f | %.2f |" % (wl["name"], wl["bytes"] / MB, wl["splyce_peak"] / MB,
                                                     wl["splyce_peak"] / wl["bytes"]))
    checks = []
    by = {wl["name"]: wl["median"] for wl in results["workloads"]}

    def check(label, value, limit, less=True):
        ok = value <= limit if less else value >= limit
        checks.append("- %s: %.2f (target %s %.2f) %s" % (label, value, "<=" if less else ">=", limit,
                                                          "met" if ok else "MISSED"))

    if "b" in by:
        check("(b) splyce / cat", by["b"]["splyce"] / by["b"]["cat"], 1.25)
    if "a" in by:
        check("(a) splyce / cp", by["a"]["splyce"] / by["a"]["cp"], 1.5)
    for name, m in by.items():
        if "perl" in m:
            check("(%s) perl / splyce" % name, m["perl"] / m["splyce"], 3, less=False)
        if "replace-in-file" in m:
            check("(%s) replace-in-file / splyce" % name, m["replace-in-file"] / m["splyce"], 10, less=False)
    for wl in results["workloads"]:
        if wl["name"] == "c":
            check("(c) splyce peak memory / page size", wl["splyce_peak"] / wl["bytes"], 2.5)
    sc = results["scaling"]
    if sc:
        lines.append("")
        lines.append("| (c) page MB | sections | splyce s | MB/s | cat s | splyce peak MB |")
        lines.append("|---:|---:|---:|---:|---:|---:|")
        for s in sc:
            lines.append("| %.0f | %d | %s | %.0f | %s | %.0f |" % (s["bytes"] / MB, s["sections"], fmt_time(s["splyce"]),
                                                                s["bytes"] / MB / s["splyce"], fmt_time(s["cat"]),
                                                                s["splyce_peak"] / MB))
        for x, y in zip(sc, sc[1:]):
            check("(c) time ratio %.0f MB -> %.0f MB (work x%.2f)" % (x["bytes"] / MB, y["bytes"] / MB,
                                                                   y["bytes"] / x["bytes"]),
                  y["splyce"] / x["splyce"], 2.2)
        plot(sc, out_dir)
        lines.append("")
        lines.append("Plot: %s" % os.path.join(out_dir, "scaling.png"))
    lines.append("")
    lines.append("Targets:")
    lines += checks
    text = "\n".join(lines) + "\n"
    print(text)
    with open(os.path.join(out_dir, "results.md"), "w") as f:
        f.write(text)
    with open(os.path.join(out_dir, "results.json"), "w") as f:
        json.dump(results, f, indent=1)


def plot(scaling, out_dir):
    data = os.path.join(out_dir, "scaling.dat")
    with open(data, "w") as f:
        for s in scaling:
            f.write("%.3f %.6f %.6f\n" % (s["bytes"] / MB, s["splyce"], s["cat"]))
    last = scaling[-1]
    slope = last["splyce"] / (last["bytes"] / MB)
    script = """
set terminal png size 900,600
set output '%s'
set title "splyce, workload (c): one page, 5,000 growing sections per MB (median of runs)"
set xlabel 'page size (MB)'
set ylabel 'time (s)'
set key top left
set grid
set xrange [0:*]
set yrange [0:*]
plot '%s' using 1:2 with linespoints pt 7 ps 1.5 lw 2 title 'splyce', \\
     %.8f * x with lines dt 2 title 'linear through the largest size', \\
     '%s' using 1:3 with linespoints pt 5 title 'cat of the page (floor)'
""" % (os.path.join(out_dir, "scaling.png"), data, slope, data)
    subprocess.run(["gnuplot"], input=script.encode(), check=True)


if __name__ == "__main__":
    main()
