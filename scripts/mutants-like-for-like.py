#!/usr/bin/env python3
"""Mutation check, like for like across a change of code and tests.

The mutants ../shared/tools/mutants.py samples for a seed from an earlier tree
(a checkout of an older commit) are planted again in the current tree wherever
their line still stands, found by the line and its neighbours (so code moved to
another file is followed), then built and run against the current tests as
mutants.py runs them. Two trees' ordinary mutants.py runs sample different
mutants once the code has grown; this compares the same faults.

Usage (from the current tree's root, as a user who cannot write to devices):
  scripts/mutants-like-for-like.py BEFORE_TREE [--seed N] [--scratch DIR]
                                   [--list] [--only FILE:LINE ...]
Each row says the verdict, where the mutant went and where it was in BEFORE_TREE;
a mutant whose line is gone is listed as such and not run."""
import argparse, os, subprocess, sys, time, random, tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "tools"))
import mutants as M

ap = argparse.ArgumentParser()
ap.add_argument("before")
ap.add_argument("--seed", type=int, default=1)
ap.add_argument("--scratch", default=os.path.join(tempfile.gettempdir(), "quorvel-mutants-like"))
ap.add_argument("--list", action="store_true")
ap.add_argument("--only", nargs="*", help="FILE:LINE of the earlier tree to plant, the others left out")
a = ap.parse_args()

def sample_of(root):
    files = sorted({os.path.relpath(os.path.join(dp, f), root)
                    for dp, _, fs in os.walk(root) for f in fs
                    if any(M._glob_match(os.path.relpath(os.path.join(dp, f), root), g) for g in M.DEFAULT_GLOBS)
                    and "/build/" not in dp and "/.git" not in dp})
    allm = []
    for f in files:
        allm += M.candidates(f, open(os.path.join(root, f), encoding="utf-8", errors="surrogateescape").read())
    rnd = random.Random(a.seed)
    return files, sorted(rnd.sample(allm, min(100, len(allm))), key=lambda m: (m[0], m[1]))

root = os.getcwd()
_, before = sample_of(a.before)
files_now, _ = sample_of(root)
texts = {f: open(os.path.join(root, f), encoding="utf-8", errors="surrogateescape").read().split("\n")
         for f in files_now}
before_texts = {f: open(os.path.join(a.before, f), encoding="utf-8", errors="surrogateescape").read().split("\n")
                for f in {m[0] for m in before}}

def context(lines, n):
    return [lines[i].strip() if 0 <= i < len(lines) else None for i in range(n - 4, n + 3) if i != n - 1]

planted = []
for f, no, name, old, new in before:
    if a.only and f"{f}:{no}" not in a.only:
        continue
    want = context(before_texts[f], no)
    best = None
    for g, lines in texts.items():
        for i, line in enumerate(lines):
            if line.strip() != old.strip():
                continue
            score = sum(x == y for x, y in zip(want, context(lines, i + 1)))
            key = (score, g == f, -abs(i + 1 - no))
            if (g == f or score >= 3) and (best is None or key > best[0]):
                best = (key, g, i + 1, line)
    if best is None:
        print(f"gone      {f}:{no}  {name}  | {old.strip()}", flush=True)
        continue
    _, g, n, line = best
    indent = line[:len(line) - len(line.lstrip())]
    planted.append((g, n, name, line, indent + new.strip(), f"{f}:{no}"))
print(f"{len(planted)} of {len(before)} mutants of seed {a.seed} still have their line", flush=True)
if a.list:
    for p in planted:
        print(p[5], "->", f"{p[0]}:{p[1]}", p[2], "|", p[4].strip())
    sys.exit(0)

scratch = a.scratch
subprocess.run(["rm", "-rf", scratch], check=True)
subprocess.run(["git", "clone", "-q", root, scratch], check=True)
t0 = time.time()
if M.run(M.DEFAULT_BUILD, scratch, 3600) != 0:
    sys.exit("does not build")
t1 = time.time()
if M.run(M.DEFAULT_TEST, scratch, 3600) != 0:
    sys.exit("tests fail unmutated")
limit = max(60, int(5 * (time.time() - t1)))
counts = {"killed": 0, "survived": 0, "no build": 0}
for i, (g, n, name, old, new, was) in enumerate(planted, 1):
    p = os.path.join(scratch, g)
    orig = open(p, encoding="utf-8", errors="surrogateescape").read()
    lines = orig.split("\n"); lines[n - 1] = new
    open(p, "w", encoding="utf-8", errors="surrogateescape").write("\n".join(lines))
    try:
        if M.run(M.DEFAULT_BUILD, scratch, 1200) != 0:
            v = "no build"
        else:
            v = "survived" if M.run(M.DEFAULT_TEST, scratch, limit) == 0 else "killed"
    finally:
        open(p, "w", encoding="utf-8", errors="surrogateescape").write(orig)
    counts[v] += 1
    print(f"[{i}/{len(planted)}] {v:8}  {g}:{n} (was {was})  {name}  | {new.strip()}", flush=True)
c = counts["killed"] + counts["survived"]
print(f"like for like, seed {a.seed}: score {counts['killed'] / c if c else 0:.2f}: {counts['killed']} killed, "
      f"{counts['survived']} survived, {counts['no build']} did not build", flush=True)
