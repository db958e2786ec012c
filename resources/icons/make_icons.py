#!/usr/bin/env python3
"""Writes the status icons described in status_icons.txt as 32 x 32, 16-colour .ico files.

usage: make_icons.py status_icons.txt OUTPUT_DIRECTORY [--png]
With --png it also writes each icon, enlarged eight times, as a PNG for looking at (needs
ImageMagick's convert)."""
import struct
import subprocess
import sys
from pathlib import Path

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
SIZE = 32
DRAWN = 16  # the pictures' own size; each pixel is doubled


def parse(path):
    colours, icons, pictures = {}, [], {}
    lines = iter(Path(path).read_text().splitlines())
    for line in lines:
        words = line.split()
        if not words or words[0].startswith('#'):
            continue
        if words[0] == 'colours':
            colours.update({k: int(v) for k, v in (w.split('=') for w in words[1:])})
        elif words[0] == 'icon':
            icons.append((words[1], words[2], {k: int(v) for k, v in (w.split('=') for w in words[3:])}))
        elif words[0] == 'picture':
            rows = []
            for row in lines:
                if row.strip() == 'end':
                    break
                rows.append(row)
            if len(rows) != DRAWN or any(len(r) != DRAWN for r in rows):
                sys.exit(f'picture {words[1]}: must be {DRAWN} rows of {DRAWN} characters')
            pictures[words[1]] = [''.join(c * 2 for c in row) for row in rows for _ in range(2)]
    return colours, icons, pictures


def ico_bytes(rows, colours):
    """One image: BITMAPINFOHEADER (height doubled for the mask), palette, 4-bit colour rows and the
    1-bit transparency mask, both bottom-up."""
    xor = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        indexes = [0 if c == '.' else colours[c] for c in row]
        for x in range(0, SIZE, 2):
            xor.append(indexes[x] << 4 | indexes[x + 1])
        bits = 0
        for x, c in enumerate(row):
            if c == '.':
                bits |= 1 << (SIZE - 1 - x)
        mask += bits.to_bytes(4, 'big')
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


def main():
    source, output = sys.argv[1], Path(sys.argv[2])
    output.mkdir(parents=True, exist_ok=True)
    colours, icons, pictures = parse(source)
    for name, picture, own in icons:
        rows = pictures[picture]
        mapping = dict(colours, **own)
        unknown = {c for row in rows for c in row if c != '.' and c not in mapping}
        if unknown:
            sys.exit(f'{name}: no colour for {sorted(unknown)}')
        ico = output / f'{name.lower()}.ico'
        ico.write_bytes(ico_bytes(rows, mapping))
        if '--png' in sys.argv:
            subprocess.run(['convert', f'ico:{ico}', '-scale', '800%', str(output / f'{name.lower()}.png')], check=True)


if __name__ == '__main__':
    main()
