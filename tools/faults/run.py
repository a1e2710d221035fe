#!/usr/bin/env python3
"""Plants the faults of faults.py one at a time in a copy of the tree, builds, runs the
fault's tests, and puts the file back. The copy and its build live in build-faults/ of this
checkout (or $FAULT_SRC); the checkout itself is never touched.

  run.py sync [REV]            export REV (default HEAD) into the copy, configure it
  run.py check                 every fault's old text occurs exactly once in the copy
  run.py run LABEL [IDS...]    plant, build, test; results in build-faults/results-LABEL.tsv
  run.py full LABEL [IDS...]   the same with the whole qelv_tests (confirms survivors)

A fault "survives" when every test passes with it planted: either a test is missing, or the
fault cannot show (say why beside it). A kill counts only when the failing tests fail again
on their own, since tests that wait on real time may fail under load.
"""
import os
import shutil
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(os.path.dirname(HERE))
WORK = os.path.join(REPO, "build-faults")
SRC = os.environ.get("FAULT_SRC", os.path.join(WORK, "src"))
BUILD = os.path.join(SRC, "build")
sys.path.insert(0, HERE)
import faults  # noqa: E402

# The tests never ask the machine's system bus.
ENV = dict(os.environ, QT_QPA_PLATFORM="offscreen",
           DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent/qelv-faults-bus")


def path_of(f):
    """The first of the fault's files (a|b) that exists in the tree: code moves."""
    for name in f["file"].split("|"):
        if os.path.exists(os.path.join(SRC, name)):
            return os.path.join(SRC, name)
    return os.path.join(SRC, f["file"].split("|")[0])


def edits(f):
    olds = f["old"] if isinstance(f["old"], list) else [f["old"]]
    news = f["new"] if isinstance(f["new"], list) else [f["new"]]
    return list(zip(olds, news))


def check():
    bad = 0
    seen = set()
    for f in faults.F:
        if f["id"] in seen:
            print("duplicate id", f["id"])
            bad += 1
        seen.add(f["id"])
        text = open(path_of(f)).read()
        for old, _ in edits(f):
            n = text.count(old)
            if n != 1:
                print(f"{f['id']}: {f['file']}: old text occurs {n} times")
                bad += 1
    print(f"{len(faults.F)} faults, {bad} problems")
    return bad == 0


def run_group(cmd, timeout):
    start = time.time()
    proc = subprocess.Popen(cmd, cwd=SRC, env=ENV, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, start_new_session=True)
    try:
        out, _ = proc.communicate(timeout=timeout)
        rc = proc.returncode
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        rc = "timeout"
    return rc, out.decode(errors="replace"), time.time() - start


def build():
    return run_group(["nice", "-n", "15", "cmake", "--build", BUILD, "-j2", "--target",
                      "qelv_tests"], 1200)


def plant_and_test(f, whole):
    path = path_of(f)
    original = open(path).read()
    text = original
    for old, new in edits(f):
        assert text.count(old) == 1, f["id"]
        text = text.replace(old, new)
    try:
        with open(path, "w") as out:
            out.write(text)
        rc, out, _ = build()
        if rc != 0:
            return "build-failed", out[-3000:], 0
        cmd = ["nice", "-n", "15", os.path.join(BUILD, "bin", "qelv_tests")]
        if not whole:
            cmd.append("--gtest_filter=" + f["tests"])
        rc, out, took = run_group(cmd, 900 if whole else 420)
        failed = [line.split("]", 1)[1].strip().split(" (")[0].split(",")[0]
                  for line in out.splitlines()
                  if line.startswith("[  FAILED  ]") and "listed below" not in line
                  and "test" not in line.split("]", 1)[1][:8]]
        if rc == "timeout":
            return "killed", "timeout", took
        if rc != 0 and failed:
            # A kill counts only when the failing tests fail again on their own: a test
            # that waits on real time may fail under load for no reason of the fault's.
            again, _, _ = run_group(cmd[:4] + ["--gtest_filter=" + ":".join(sorted(set(failed)))],
                                    420)
            if again == 0:
                return "flaky", " ".join(sorted(set(failed)))[:400], took
        if rc != 0:
            return "killed", " ".join(sorted(set(failed)))[:400] or f"rc={rc}", took
        return "survived", "", took
    finally:
        with open(path, "w") as out:
            out.write(original)


def run(label, ids, whole):
    chosen = [f for f in faults.F if not ids or f["id"] in ids]
    result_file = os.path.join(WORK, f"results-{label}.tsv")
    if ids and label == "-":
        result_file = "/dev/null"
    done = set()
    if os.path.exists(result_file):
        done = {line.split("\t")[0] for line in open(result_file) if line.strip()}
    for f in chosen:
        if f["id"] in done:
            continue
        status, detail, took = plant_and_test(f, whole)
        line = f"{f['id']}\t{status}\t{took:.0f}s\t{f['note']}\t{detail}"
        print(line, flush=True)
        with open(result_file, "a") as out:
            out.write(line.replace("\n", " ") + "\n")
    # Leave the tree built as it is.
    build()


def sync(rev):
    if os.path.exists(SRC):
        shutil.rmtree(SRC)
    os.makedirs(SRC)
    subprocess.run(f"git -C {REPO} archive {rev} | tar -x -C {SRC}", shell=True, check=True)
    launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
    subprocess.run(["cmake", "-S", SRC, "-B", BUILD, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DQELV_BUILD_BENCH=OFF"] + launcher,
                   check=True, env=ENV)


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    what = sys.argv[1]
    if what == "check":
        return 0 if check() else 1
    if what == "sync":
        sync(sys.argv[2] if len(sys.argv) > 2 else "HEAD")
        return 0
    if what in ("run", "full"):
        if not check():
            return 1
        run(sys.argv[2], set(sys.argv[3:]), what == "full")
        return 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
