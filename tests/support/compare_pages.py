#!/usr/bin/env python3
"""Compares a page image from another program with the rows F2D drew of the same page.

compare_pages.py THEIRS.pbm F2D.pbm STEP
Both are raw PBM files (P4, 1 black); F2D's rows are taken every STEP rows (2 for a page of
normal resolution, whose lines F2D draws twice). Exits 1 with the first difference."""
import sys


def read_pbm(path):
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 3:
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b'#':
            at = data.index(b'\n', at)
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields[0] != b'P4':
        sys.exit(f'{path}: not a raw PBM file')
    width, height = int(fields[1]), int(fields[2])
    stride = (width + 7) // 8
    pixels = data[at + 1:]
    return width, [pixels[r * stride:(r + 1) * stride] for r in range(height)]


theirs_path, ours_path, step = sys.argv[1], sys.argv[2], int(sys.argv[3])
width, theirs = read_pbm(theirs_path)
our_width, ours = read_pbm(ours_path)
ours = ours[::step]
if (width, len(theirs)) != (our_width, len(ours)):
    sys.exit(f'{theirs_path}: {width} x {len(theirs)} pixels, F2D has {our_width} x {len(ours)}')
for row, (a, b) in enumerate(zip(theirs, ours)):
    if a != b:
        sys.exit(f'{theirs_path}: row {row} differs from F2D\'s')
