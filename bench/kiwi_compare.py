#!/usr/bin/env python3
"""Times kiwisolver on the strips that bench/LayoutBench.cpp gives the layout solver.

Run by hand, never in CI: it needs the kiwisolver module (Debian: python3-kiwisolver;
with a pyenv or virtualenv python first on PATH, run it as /usr/bin/python3).

    python3 bench/kiwi_compare.py [--repeat 5]
    build/default/bin/pellavo_bench --benchmark_filter='BM_Solver(ChainAdd|ConstantEdit)'

The strip: boxes in a row 50 pt per box long, four constraints each: left == previous
right + 8 (required; the first box's left == 16 instead), width >= 20 (required),
width == 40 (optional, weight 100) and left + width <= the row's length (required). Printed figures, medians:
- chain add: the time of one add, averaged while building a strip of N constraints;
- constant edit: moving the first box, which shifts every box. kiwisolver has no
  in-place constant edit; "suggest" pins the first left by a strong edit variable and
  suggests a value, "replace" removes the pin and adds one with the new constant
  (only on the shortest strip: it grows with the square of the length).
"""

import argparse
import statistics
import time

import kiwisolver as kiwi


def strip(boxes, pin_first=True, length=None):
    left = [kiwi.Variable(f"left{i}") for i in range(boxes)]
    width = [kiwi.Variable(f"width{i}") for i in range(boxes)]
    constraints = []
    first = None
    optional = kiwi.strength.create(0, 0, 100)
    length = boxes * 50 if length is None else length
    for i in range(boxes):
        if i == 0:
            first = left[0] == 16
            if pin_first:
                constraints.append(first)
        else:
            constraints.append(left[i] == left[i - 1] + width[i - 1] + 8)
        constraints.append(width[i] >= 20)
        constraints.append((width[i] == 40) | optional)
        constraints.append(left[i] + width[i] <= length)
    return left, width, constraints, first


def chain_add(count, repeat):
    samples = []
    for _ in range(repeat):
        left, _, constraints, _ = strip(count // 4)
        solver = kiwi.Solver()
        start = time.perf_counter()
        for c in constraints:
            solver.addConstraint(c)
        solver.updateVariables()
        samples.append((time.perf_counter() - start) / len(constraints))
    return statistics.median(samples)


def constant_edit_suggest(boxes, edits):
    left, _, constraints, _ = strip(boxes, pin_first=False)
    solver = kiwi.Solver()
    for c in constraints:
        solver.addConstraint(c)
    solver.addEditVariable(left[0], "strong")
    samples = []
    x = 16
    for _ in range(edits):
        x = 24 if x == 16 else 16
        start = time.perf_counter()
        solver.suggestValue(left[0], x)
        solver.updateVariables()
        samples.append(time.perf_counter() - start)
    assert abs(left[-1].value() - (x + (boxes - 1) * 48)) < 1e-6
    return statistics.median(samples)


def constant_edit_replace(boxes, edits):
    left, _, constraints, first = strip(boxes)
    solver = kiwi.Solver()
    for c in constraints:
        solver.addConstraint(c)
    samples = []
    x = 16
    for _ in range(edits):
        x = 24 if x == 16 else 16
        start = time.perf_counter()
        solver.removeConstraint(first)
        first = left[0] == x
        solver.addConstraint(first)
        solver.updateVariables()
        samples.append(time.perf_counter() - start)
    assert abs(left[-1].value() - (x + (boxes - 1) * 48)) < 1e-6
    return statistics.median(samples)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=5, help="strips built per chain length")
    parser.add_argument("--edits", type=int, default=50, help="constant edits per strip")
    args = parser.parse_args()
    print(f"kiwisolver {kiwi.__version__}")
    for count in (100, 1000, 8000):
        repeat = args.repeat if count < 8000 else max(1, args.repeat // 5)
        print(f"chain add, {count:5d} constraints: {chain_add(count, repeat) * 1e6:9.2f} us per add")
    for boxes in (250, 1000, 2000):
        suggest = constant_edit_suggest(boxes, args.edits) * 1e3
        print(f"constant edit, {boxes:4d} boxes: suggest {suggest:8.3f} ms")
    # Removing the pin that every row leans on grows with the square of the strip.
    replace = constant_edit_replace(250, max(1, args.edits // 5)) * 1e3
    print(f"constant edit,  250 boxes: replace {replace:8.3f} ms")


if __name__ == "__main__":
    main()
