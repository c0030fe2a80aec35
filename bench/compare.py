#!/usr/bin/env python3
"""Side-by-side benchmark of `lucentra print` against the printing filters.

Runs lucentra and the reference tool on the same inputs, alternating (ours,
reference, decode-only, ours, reference, ...) after one warm-up run of each,
and prints the medians of wall time and peak memory (/usr/bin/time -v) and the
output size, each with its ratio to the reference, and lucentra's wall time
over the decode-only time of its input.

Jobs:
  1  scan-colour.png (Letter, 300 dpi, RGB) fitted to a Letter page, to PDF;
     reference cups-filters imagetopdf
  2  the same scan to 600-dpi colour raster: lucentra sends PWG raster to a
     loopback ippeveprinter that takes nothing else; reference imagetoraster
     with the pxlcolor PPD (CUPS raster to stdout)
  3a fax-g4.tif (CCITT G4 fax page) to PDF; reference imagetopdf
  3b scan-gray.png (Letter, 300 dpi, gray) to PDF; reference imagetopdf
The decode-only time of each input comes from bench/decode_only.

Usage: bench/compare.py [--bin build/bin] [--runs 5] [--work /tmp/pw-bench] [--jobs 1,2,3a,3b]
Needs: python3, /usr/bin/time (package time), cups-filters (the references),
cups-ipp-utils and the services of scripts/start-services.sh for job 2.
See bench/README.md.
"""
import argparse
import os
import re
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FILTERS = "/usr/lib/cups/filter"
PPDS = "/usr/share/ppd/cupsfilters"


def measure(cmd, env, stdout_path=None):
    """Runs cmd under /usr/bin/time -v; returns (wall seconds, peak KiB).

    The wall time is taken here (time's own is in hundredths of a second, too
    coarse for the fax page); the peak is time's maximum resident set size."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        out = open(stdout_path, "wb") if stdout_path else subprocess.DEVNULL
        try:
            start = time.monotonic()
            rc = subprocess.call(["/usr/bin/time", "-v", "-o", report.name] + cmd, env=env, stdout=out,
                                 stderr=subprocess.DEVNULL)
            seconds = time.monotonic() - start
        finally:
            if stdout_path:
                out.close()
        text = report.read()
    if rc != 0:
        raise RuntimeError("failed (exit %d): %s" % (rc, " ".join(cmd)))
    peak = re.search(r"Maximum resident set size \(kbytes\): (\d+)", text)
    return seconds, int(peak.group(1))


class Ipp:
    """A loopback ippeveprinter that takes only PWG raster, as job 2's printer."""

    def __init__(self, work):
        self.spool = os.path.join(work, "ipp-spool")
        shutil.rmtree(self.spool, ignore_errors=True)
        os.makedirs(self.spool)
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        services = os.path.join(ROOT, "scripts", "start-services.sh")
        subprocess.call([services], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.log = open(os.path.join(work, "ippeveprinter.log"), "w")
        self.proc = subprocess.Popen(
            ["/usr/sbin/ippeveprinter", "-r", "off", "-n", "localhost", "-p", str(self.port), "-d", self.spool,
             "-k", "-c", "/bin/true", "-f", "image/pwg-raster", "-s", "10,10", "benchraster"],
            stdout=self.log, stderr=self.log)
        for _ in range(100):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                break
            except OSError:
                time.sleep(0.1)
        else:
            self.close()
            raise RuntimeError("ippeveprinter did not start (see %s)" % self.log.name)
        self.uri = "ipp://localhost:%d/ipp/print" % self.port

    def take_document(self):
        """Size of the document received last; empties the spool."""
        size = 0
        for _ in range(50):  # the printer finishes its file a moment after the job ends
            docs = [os.path.join(self.spool, f) for f in os.listdir(self.spool) if f.endswith(".pwg")]
            if docs:
                size = max(os.path.getsize(d) for d in docs)
                break
            time.sleep(0.05)
        for f in os.listdir(self.spool):
            os.remove(os.path.join(self.spool, f))
        return size

    def close(self):
        self.proc.terminate()
        self.proc.wait()
        self.log.close()


def human_bytes(n):
    return "%.1f MB" % (n / 1e6) if n >= 1e5 else "%.1f kB" % (n / 1e3)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", default=os.path.join(ROOT, "build", "bin"), help="folder of the built programs")
    parser.add_argument("--runs", type=int, default=5, help="counted runs of each command (default 5)")
    parser.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "pw-bench"),
                        help="folder for inputs and outputs (inputs are made once)")
    parser.add_argument("--jobs", default="1,2,3a,3b", help="which jobs, comma-separated")
    args = parser.parse_args()

    binary = lambda name: os.path.join(os.path.abspath(args.bin), name)
    for tool in ("lucentra", "decode_only", "make_bench_inputs"):
        if not os.access(binary(tool), os.X_OK):
            sys.exit("compare.py: %s is not built in %s" % (tool, args.bin))
    for tool in ("/usr/bin/time", FILTERS + "/imagetopdf", FILTERS + "/imagetoraster"):
        if not os.access(tool, os.X_OK):
            sys.exit("compare.py: %s is missing (see bench/README.md)" % tool)

    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    inputs = {name: os.path.join(work, name) for name in ("scan-colour.png", "scan-gray.png", "fax-g4.tif")}
    if not all(os.path.exists(p) for p in inputs.values()):
        subprocess.check_call([binary("make_bench_inputs"), work])

    # lucentra prints on Letter whatever the locale, from a printers file of its own.
    config = os.path.join(work, "config")
    os.makedirs(os.path.join(config, "pagewright"), exist_ok=True)
    with open(os.path.join(config, "pagewright", "printers"), "w") as f:
        f.write("[PDF]\npaper = letter\n")
    env = dict(os.environ, XDG_CONFIG_HOME=config, SOURCE_DATE_EPOCH="0", LC_ALL="C")

    def filter_env(ppd, content_type):
        return dict(env, PPD=os.path.join(PPDS, ppd), CONTENT_TYPE=content_type)

    ours_pdf = os.path.join(work, "ours.pdf")
    ref_out = os.path.join(work, "reference.out")
    wanted = args.jobs.split(",")
    ipp = Ipp(work) if "2" in wanted else None

    def pdf_job(key, title, scan, content_type):
        return dict(key=key, title=title, input=scan,
                    ours=([binary("lucentra"), "print", scan, "--printer", "PDF", "--output", ours_pdf,
                           "--scale", "fit", "-q"], env, None, lambda: os.path.getsize(ours_pdf)),
                    ref=([FILTERS + "/imagetopdf", "1", "user", "title", "1", "fit-to-page media=Letter", scan],
                         filter_env("Generic-PDF_Printer-PDF.ppd", content_type), ref_out,
                         lambda: os.path.getsize(ref_out)),
                    ref_name="imagetopdf")

    jobs = []
    if "1" in wanted:
        jobs.append(pdf_job("1", "colour scan to PDF", inputs["scan-colour.png"], "image/png"))
    if ipp:
        scan = inputs["scan-colour.png"]
        jobs.append(dict(key="2", title="colour scan to 600-dpi raster", input=scan,
                         ours=([binary("lucentra"), "print", scan, "--printer", ipp.uri, "--scale", "fit", "-q"],
                               env, None, ipp.take_document),
                         ref=([FILTERS + "/imagetoraster", "1", "user", "title", "1",
                               "fit-to-page PageSize=Letter Resolution=600dpi ColorModel=RGB", scan],
                              filter_env("pxlcolor.ppd", "image/png"), ref_out, lambda: os.path.getsize(ref_out)),
                         ref_name="imagetoraster"))
    if "3a" in wanted:
        jobs.append(pdf_job("3a", "G4 fax page to PDF", inputs["fax-g4.tif"], "image/tiff"))
    if "3b" in wanted:
        jobs.append(pdf_job("3b", "gray scan to PDF", inputs["scan-gray.png"], "image/png"))

    rows = []
    try:
        for job in jobs:
            sides = {"ours": job["ours"], "ref": job["ref"],
                     "decode": ([binary("decode_only"), job["input"]], env, None, lambda: 0)}
            samples = {side: {"wall": [], "peak": [], "size": []} for side in sides}
            for run in range(args.runs + 1):  # the first round warms the caches and is not counted
                for side, (cmd, run_env, stdout_path, size_of) in sides.items():
                    wall, peak = measure(cmd, run_env, stdout_path)
                    size = size_of()
                    if run > 0:
                        samples[side]["wall"].append(wall)
                        samples[side]["peak"].append(peak)
                        samples[side]["size"].append(size)
            med = {side: {k: statistics.median(v) for k, v in s.items()} for side, s in samples.items()}
            rows.append((job, med, samples))
            print("job %s done" % job["key"], file=sys.stderr)
    finally:
        if ipp:
            ipp.close()

    cpu = "?"
    try:
        with open("/proc/cpuinfo") as f:
            cpu = next(l.split(":", 1)[1].strip() for l in f if l.startswith("model name"))
    except (OSError, StopIteration):
        pass
    print("%s, %d cores; %d counted runs each, alternating, medians" % (cpu, os.cpu_count(), args.runs))
    print()
    print("| job | tool | wall s | peak MiB | output | wall ratio | peak ratio | size ratio | wall / decode |")
    print("|---|---|---|---|---|---|---|---|---|")
    for job, med, samples in rows:
        o, r, d = med["ours"], med["ref"], med["decode"]
        print("| %s %s | lucentra | %.3f | %.1f | %s | %.2f | %.2f | %.2f | %.2f |" % (
            job["key"], job["title"], o["wall"], o["peak"] / 1024, human_bytes(o["size"]), o["wall"] / r["wall"],
            o["peak"] / r["peak"], o["size"] / r["size"], o["wall"] / d["wall"]))
        print("| | %s | %.3f | %.1f | %s | 1 | 1 | 1 | %.2f |" % (
            job["ref_name"], r["wall"], r["peak"] / 1024, human_bytes(r["size"]), r["wall"] / d["wall"]))
        print("| | decode only | %.3f | %.1f | | | | | 1 |" % (d["wall"], d["peak"] / 1024))
    print()
    print("wall ranges (min..max): " + "; ".join(
        "%s lucentra %.3f..%.3f, ref %.3f..%.3f" % (job["key"], min(s["ours"]["wall"]), max(s["ours"]["wall"]),
                                                   min(s["ref"]["wall"]), max(s["ref"]["wall"]))
        for job, _, s in rows))


if __name__ == "__main__":
    main()
