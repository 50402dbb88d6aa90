#!/usr/bin/env python3
# The layers run one way: position < movegen < evaluation < search < uci. No
# folder includes a header of a folder above it, no object of a folder uses a
# symbol defined by an object of a folder above it (read from the built
# objects, so a declaration implemented elsewhere cannot hide), and the only
# writable globals of the program are the tables built once at start-up.
import glob, os, re, shutil, subprocess, sys, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import SKIP, VELTA, run_tests  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
LAYERS = ["position", "movegen", "evaluation", "search", "uci"]
# Written once at start-up, read-only afterwards: the slider tables (and the
# scratch of their multiplier search), the evaluation tables, the reductions.
START_UP_TABLES = {"tables", "slots", "params", "values", "knight", "bishop", "rook", "queen", "king", "reductions"}


def objects(layer):
    pattern = os.path.join(os.path.dirname(VELTA), "CMakeFiles", "velta_engine.dir", "src", layer, "*.o")
    return sorted(glob.glob(pattern))


def symbols(obj, which):
    # defined ("--defined-only") or used ("-u") symbols; gcc-nm reads link-time-optimised objects too
    nm = shutil.which("gcc-nm") or "nm"
    out = subprocess.run([nm, "-C", which, obj], capture_output=True, text=True, check=True).stdout
    return {line.split(None, 2)[-1] for line in out.splitlines() if line.strip()}


class Layers(unittest.TestCase):
    def test_includes_point_down(self):
        for rank, layer in enumerate(LAYERS):
            for path in glob.glob(os.path.join(ROOT, "src", layer, "*")):
                for folder in re.findall(r'^#include "(\w+)/', open(path).read(), re.M):
                    self.assertLessEqual(LAYERS.index(folder), rank, "%s includes %s/" % (os.path.relpath(path, ROOT), folder))

    def test_no_folder_uses_what_a_folder_above_defines(self):
        defined = {layer: set().union(*(symbols(o, "--defined-only") for o in objects(layer))) for layer in LAYERS}
        self.assertTrue(all(defined.values()), "objects of every folder next to the binary")
        for rank, layer in enumerate(LAYERS):
            above = set().union(*(defined[higher] for higher in LAYERS[rank + 1:]))
            for obj in objects(layer):
                reached = sorted(symbols(obj, "-u") & above)
                self.assertEqual(reached, [], "%s/%s uses them" % (layer, os.path.basename(obj)))

    def test_writable_globals_are_start_up_tables(self):
        table = subprocess.run(["objdump", "-t", "-C", VELTA], capture_output=True, text=True, check=True).stdout
        writable = [line.split("\t")[-1].split(None, 1)[-1] for line in table.splitlines()
                    if re.search(r" (\.bss|\.data|\.tbss|\.tdata)\t", line) and "velta::" in line]
        names = {re.sub(r"\(.*\)::", "::", name).rsplit("::", 1)[-1] for name in writable}
        self.assertTrue(names, "the binary keeps its symbols")
        self.assertLessEqual(names, START_UP_TABLES, writable)


if __name__ == "__main__":
    if not os.access(VELTA, os.X_OK) or not objects("uci") or not shutil.which("objdump"):
        print("skipped: no engine binary with its objects beside it, or no objdump")
        sys.exit(SKIP)
    run_tests()
