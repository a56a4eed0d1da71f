#!/usr/bin/env python3
"""Tells which of the given button faces an X window shows.

    window-face.py WINDOW-ID|PICTURE-FILE FACE.bmp [FACE.bmp ...]

Prints the file name of the first face found in the window's picture (pixel
for pixel, as the program's bitmap buttons draw them) and the position of its
upper-left corner in the picture, "FILE X Y", and exits 0; exits 1 when none
is shown. The scripts use it to see GO's faces: the stop face while
a read/write test runs, the idle face once it has ended.
"""
import os
import struct
import subprocess
import sys


def read_bmp(path):
    """Rows of RGB bytes, top first, of an uncompressed 8- or 24-bit BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if compression != 0 or bits not in (8, 24):
        raise SystemExit(f"window-face: {path}: not an uncompressed 8- or 24-bit bitmap")
    header_size = struct.unpack_from("<I", data, 14)[0]
    palette = data[14 + header_size:offset]
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        if bits == 8:
            row = bytearray()
            for index in data[start:start + width]:
                b, g, r = palette[index * 4:index * 4 + 3]
                row += bytes((r, g, b))
        else:
            row = bytearray()
            for x in range(width):
                b, g, r = data[start + x * 3:start + x * 3 + 3]
                row += bytes((r, g, b))
        rows.append(bytes(row))
    if height > 0:  # stored bottom up
        rows.reverse()
    return rows


def read_picture(source):
    """Rows of RGB bytes of an X window's picture on the screen, or of a file."""
    command = ["convert", source] if os.path.isfile(source) else ["import", "-window", source]
    ppm = subprocess.run(command + ["-depth", "8", "ppm:-"], capture_output=True, check=True).stdout
    # P6 <width> <height> <maxval> then the pixels.
    fields = []
    position = 0
    while len(fields) < 4:
        while ppm[position:position + 1].isspace():
            position += 1
        if ppm[position:position + 1] == b"#":
            position = ppm.index(b"\n", position)
            continue
        end = position
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[position:end])
        position = end
    width, height = int(fields[1]), int(fields[2])
    position += 1
    stride = width * 3
    return [ppm[position + y * stride:position + (y + 1) * stride] for y in range(height)]


def find(picture, face):
    """The (x, y) where `face` is shown in `picture`, or None."""
    first = face[0]
    for top in range(len(picture) - len(face) + 1):
        start = picture[top].find(first)
        while start != -1:
            if start % 3 == 0 and all(
                picture[top + y][start:start + len(row)] == row for y, row in enumerate(face)
            ):
                return start // 3, top
            start = picture[top].find(first, start + 1)
    return None


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    try:
        picture = read_picture(sys.argv[1])
    except subprocess.CalledProcessError:
        return 1
    for path in sys.argv[2:]:
        where = find(picture, read_bmp(path))
        if where is not None:
            print(path, *where)
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
