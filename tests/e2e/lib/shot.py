#!/usr/bin/env python3
"""Reads the game's screenshots (TAMBLOR_SCREENSHOT: a BMP with a notes
line after its pixels) for the end-to-end runs.

  shot.py notes SHOT          the notes: size W H scene S current C map X Y CELL ball SHOWN BX BY
  shot.py entry SHOT OUT.bmp  the highlighted menu entry's band, cut out for OCR
  shot.py ball SHOT           "ok" when the ball's disc lies within one cell of the ball
  shot.py plain SHOT          "ok" when the whole picture is the plain window colour
"""
import struct
import sys

YELLOW = (255, 221, 0)
WHITE = (255, 255, 255)
PLAIN = (16, 40, 72)


def read(path):
    data = open(path, 'rb').read()
    at = data.rfind(b'\nTAMBLOR ')
    notes = data[at + 9:].split()
    offset = struct.unpack_from('<I', data, 10)[0]
    width, height = struct.unpack_from('<ii', data, 18)
    bpp = struct.unpack_from('<H', data, 28)[0] // 8
    stride = (width * bpp + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        row = data[offset + source * stride:offset + source * stride + width * bpp]
        rows.append([(row[i * bpp + 2], row[i * bpp + 1], row[i * bpp]) for i in range(width)])
    keys = [n.decode() for n in notes]
    fields = {}
    i = 0
    while i < len(keys):
        name = keys[i]
        i += 1
        values = []
        while i < len(keys) and not keys[i].isalpha():
            values.append(keys[i])
            i += 1
        fields[name] = values
    return rows, fields


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) // 4 * 4
    body = b''.join(bytes(c for p in row for c in (p[2], p[1], p[0])) + b'\0' * (stride - width * 3)
                    for row in reversed(rows))
    header = struct.pack('<2sIHHIIiiHHIIiiII', b'BM', 54 + len(body), 0, 0, 54, 40, width, height, 1, 24, 0,
                         len(body), 2835, 2835, 0, 0)
    open(path, 'wb').write(header + body)


def main():
    command, path = sys.argv[1], sys.argv[2]
    rows, notes = read(path)
    if command == 'notes':
        print(' '.join(k + ' ' + ' '.join(v) for k, v in notes.items()))
    elif command == 'entry':
        # The tallest run of rows yellow at the left edge (the caption's
        # rule above it is a thin one).
        runs, start = [], None
        for y, row in enumerate(rows + [[None, None]]):
            if row[1] == YELLOW and start is None:
                start = y
            elif row[1] != YELLOW and start is not None:
                runs.append((y - start, start))
                start = None
        if not runs:
            sys.exit('no highlighted entry')
        length, start = max(runs)
        band = rows[start:start + length]
        pad = [[YELLOW] * len(rows[0]) for _ in range(8)]
        write_bmp(sys.argv[3], pad + band + pad)
    elif command == 'ball':
        mx, my, cell = (int(v) for v in notes['map'])
        bx, by = (float(v) for v in notes['ball'][1:])
        inside = [(x, y) for y in range(my, my + 50 * cell) for x in range(mx, mx + 50 * cell)
                  if rows[y][x] == WHITE]
        if not inside:
            sys.exit('no ball drawn')
        cx = sum(p[0] for p in inside) / len(inside) / cell - (mx / cell) - 0.5
        cy = sum(p[1] for p in inside) / len(inside) / cell - (my / cell) - 0.5
        if abs(cx - bx) > 1 or abs(cy - by) > 1:
            sys.exit('the disc is at %.2f %.2f, the ball at %.2f %.2f' % (cx, cy, bx, by))
        print('ok %.2f %.2f ball %.2f %.2f' % (cx, cy, bx, by))
    elif command == 'plain':
        other = sum(1 for row in rows for p in row if p != PLAIN)
        if other:
            sys.exit('%d pixels are not the plain colour' % other)
        print('ok')


main()
