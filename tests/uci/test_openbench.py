#!/usr/bin/env python3
# What distributed testing frameworks (OpenBench) do with an engine: on a copy of
# the tree, `make EXE=<name>` alone leaves the release binary under that name, and
# `<binary> bench` ends with "<nodes> nodes <nps> nps", the nodes being the bench
# signature. Any other argument is refused with a usage line and status 2. Workers
# check only for make and a compiler: without CMake, or with one too old, `make`
# says in one line which package to install.
import os, re, shutil, subprocess, sys, tempfile, unittest  # noqa: E401
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "common"))
from engine import BENCH, run_tests  # noqa: E402

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")


class OpenBench(unittest.TestCase):
    def test_make_exe_and_command_line_bench(self):
        with tempfile.TemporaryDirectory() as tmp:
            tree = os.path.join(tmp, "velta")
            files = subprocess.run(["git", "-C", ROOT, "ls-files", "-co", "--exclude-standard"], capture_output=True,
                                   text=True).stdout.split()
            for name in files:
                os.makedirs(os.path.dirname(os.path.join(tree, name)), exist_ok=True)
                shutil.copy2(os.path.join(ROOT, name), os.path.join(tree, name))
            fake = os.path.join(tmp, "bin", "cmake")
            os.makedirs(os.path.dirname(fake))
            for script in ["exit 127", "echo 'cmake version 3.10.2'"]:  # none, then one too old
                with open(fake, "w") as f:
                    f.write("#!/bin/sh\n" + script + "\n")
                os.chmod(fake, 0o755)
                env = dict(os.environ, PATH=os.path.dirname(fake) + os.pathsep + os.environ["PATH"])
                run = subprocess.run(["make", "EXE=Velta-1a2b3c4d"], cwd=tree, env=env, capture_output=True,
                                     text=True, timeout=60)
                said = (run.stdout + run.stderr).splitlines()
                self.assertNotEqual(run.returncode, 0, said)
                self.assertEqual(len(said), 1, said)
                self.assertRegex(said[0], r"CMake 3\.\d+ or later is needed.*install .*package cmake")
            subprocess.run(["make", "EXE=Velta-1a2b3c4d"], cwd=tree, check=True, capture_output=True, timeout=600)
            binary = os.path.join(tree, "Velta-1a2b3c4d")
            self.assertFalse(os.path.exists(os.path.join(tree, "build", "tests")))  # no test was built
            last = subprocess.run([binary, "bench"], capture_output=True, text=True, timeout=600).stdout.splitlines()[-1]
            self.assertRegex(last, r"^%s nodes \d+ nps$" % BENCH)
            refused = subprocess.run([binary, "--version"], capture_output=True, text=True, timeout=10)
            self.assertEqual((refused.returncode, refused.stdout), (2, ""))
            self.assertRegex(refused.stderr, r"^usage: \S+ \[bench\]\n$")


if __name__ == "__main__":
    run_tests()
