#!/usr/bin/env python3
"""Counts where two C libraries' sin, cos and tan differ, on the arguments a
program really gave them (scripts/libm-differences.sh records and evaluates
them).

usage: count-libm-differences.py TRACE_DIR RESULT_DIR

TRACE_DIR holds FUNCTION.bin (the arguments, raw doubles). RESULT_DIR holds,
per library L and function F, L-F.bin: the results for the arguments of
F.bin. The libraries are glibc (the reference), musl and web. glibc-sincos.bin
holds glibc's sincos, a sine and a cosine per argument; the others answer the
arguments of sincos.bin with sin and cos apart (L-sincos-sin.bin and
L-sincos-cos.bin), as the web build's code calls them. Prints, per function, the calls, the distinct
arguments, and how many of each the other libraries answer differently (with
the largest difference in units in the last place). Exits 1 when musl and
the web differ anywhere: then musl cannot stand in for the web.
"""
import os
import sys
from array import array

LIBRARIES = ("musl", "web")


def read_words(path):
    words = array("Q")
    with open(path, "rb") as f:
        words.frombytes(f.read())
    return words


def ulps(a, b):
    """Distance of two doubles of one sign in units in the last place."""
    return abs(a - b) if (a >> 63) == (b >> 63) else (a & ~(1 << 63)) + (b & ~(1 << 63))


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    trace_dir, result_dir = sys.argv[1], sys.argv[2]
    functions = []
    for name in ("sin", "cos", "tan"):
        functions.append((name, name))
    functions += [("sincos (sine)", "sincos-sin"), ("sincos (cosine)", "sincos-cos")]
    print(f"{'function':16} {'calls':>9} {'distinct':>9}   "
          + "   ".join(f"{lib + ' differs (calls / distinct, max ulp)':40}" for lib in LIBRARIES))
    musl_equals_web = True
    for label, key in functions:
        trace = os.path.join(trace_dir, key.split("-")[0] + ".bin")
        if not os.path.exists(trace):
            print(f"{label:16} {0:>9} {0:>9}   (never called)")
            continue
        args = read_words(trace)
        if key.startswith("sincos-"):
            pairs = read_words(os.path.join(result_dir, "glibc-sincos.bin"))
            reference = pairs[0::2] if key == "sincos-sin" else pairs[1::2]
        else:
            reference = read_words(os.path.join(result_dir, f"glibc-{key}.bin"))
        results = {lib: read_words(os.path.join(result_dir, f"{lib}-{key}.bin"))
                   for lib in LIBRARIES}
        for lib, words in results.items():
            if len(words) != len(args) or len(reference) != len(args):
                raise SystemExit(f"{key}: {lib} has {len(words)} results for {len(args)} arguments")
        columns = []
        for lib in LIBRARIES:
            words = results[lib]
            calls = 0
            distinct = set()
            worst = 0
            for x, r, w in zip(args, reference, words):
                if r != w:
                    calls += 1
                    distinct.add(x)
                    worst = max(worst, ulps(r, w))
            columns.append(f"{calls:>9} / {len(distinct):<9} max {worst} ulp")
        if results["musl"] != results["web"]:
            musl_equals_web = False
        print(f"{label:16} {len(args):>9} {len(set(args)):>9}   "
              + "   ".join(f"{c:40}" for c in columns))
    print("musl and the web agree on every result" if musl_equals_web
          else "musl and the web DIFFER")
    return 0 if musl_equals_web else 1


if __name__ == "__main__":
    sys.exit(main())
