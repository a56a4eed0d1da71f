#!/usr/bin/python3
"""Draws the program's icons and button faces into resources/pictures/.

    tools/draw/draw.py [--out DIR] [--sheet PNG]

Every picture is drawn in a 0..100 coordinate square at a large size and
scaled down, so that edges are smooth at 16, 32 and 46x39 pixels. Icons are
written as .ico files with 32x32 and 16x16 images (32 bits with alpha, plus
the AND mask for old readers); button faces as 256-colour .bmp files.
--sheet also writes an enlarged contact sheet of everything, for looking at.
"""

import argparse
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageEnhance, ImageFilter

SUPER = 16  # drawing scale per output pixel

# Colours.
OUTLINE = (40, 40, 48, 255)
DRIVE_TOP = (214, 216, 222, 255)
DRIVE_FRONT = (160, 164, 172, 255)
DRIVE_SLOT = (60, 62, 70, 255)
LED_GREEN = (40, 210, 60, 255)
RED = (220, 24, 24, 255)
DARK_RED = (130, 0, 0, 255)
WHITE = (255, 255, 255, 255)
GREEN = (30, 170, 50, 255)
DARK_GREEN = (0, 95, 20, 255)
PALE_GREEN = (200, 245, 200, 255)
BUTTON_FACE = (192, 192, 192)


class Canvas:
    """A square drawing surface addressed in 0..100 units."""

    def __init__(self, pixels):
        self.pixels = pixels
        self.size = pixels * SUPER
        self.image = Image.new("RGBA", (self.size, self.size), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.image)

    def u(self, v):
        return v * self.size / 100.0

    def pts(self, points):
        return [(self.u(x), self.u(y)) for x, y in points]

    def polygon(self, points, fill, outline=None, width=0):
        self.draw.polygon(self.pts(points), fill=fill)
        if outline is not None and width > 0:
            self.draw.line(self.pts(points + points[:1]), fill=outline,
                           width=max(1, round(self.u(width))), joint="curve")

    def rect(self, x0, y0, x1, y1, fill, outline=None, width=0, radius=0):
        box = [self.u(x0), self.u(y0), self.u(x1), self.u(y1)]
        self.draw.rounded_rectangle(box, radius=self.u(radius), fill=fill,
                                    outline=outline,
                                    width=max(1, round(self.u(width))) if outline else 0)

    def ellipse(self, x0, y0, x1, y1, fill=None, outline=None, width=0):
        self.draw.ellipse([self.u(x0), self.u(y0), self.u(x1), self.u(y1)], fill=fill,
                          outline=outline,
                          width=max(1, round(self.u(width))) if outline else 0)

    def line(self, points, fill, width):
        self.draw.line(self.pts(points), fill=fill, width=max(1, round(self.u(width))),
                       joint="curve")
        # Round caps.
        r = self.u(width) / 2
        for x, y in self.pts([points[0], points[-1]]):
            self.draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)

    def result(self):
        return self.image.resize((self.pixels, self.pixels), Image.LANCZOS)


# ---- pictograms -------------------------------------------------------------

def Drive(c, small, box=(4, 28, 96, 80)):
    """A grey removable drive seen slightly from above, within box."""
    x0, y0, x1, y1 = box
    w, h = x1 - x0, y1 - y0
    line = 5 if small else 3
    depth = h * 0.35  # top face
    skew = w * 0.10
    top = [(x0 + skew, y0), (x1, y0), (x1 - skew, y0 + depth), (x0, y0 + depth)]
    front = [(x0, y0 + depth), (x1 - skew, y0 + depth), (x1 - skew, y1), (x0, y1)]
    side = [(x1 - skew, y0 + depth), (x1, y0), (x1, y1 - depth), (x1 - skew, y1)]
    c.polygon(side, (120, 124, 132, 255), OUTLINE, line)
    c.polygon(top, DRIVE_TOP, OUTLINE, line)
    c.polygon(front, DRIVE_FRONT, OUTLINE, line)
    fy = y0 + depth + (h - depth) * 0.5
    fw = w - skew
    # Card slot and the activity light.
    c.rect(x0 + fw * 0.12, fy - h * 0.06, x0 + fw * 0.62, fy + h * 0.06, DRIVE_SLOT,
           radius=1)
    c.ellipse(x0 + fw * 0.76, fy - h * 0.08, x0 + fw * 0.76 + h * 0.16, fy + h * 0.08,
              LED_GREEN, OUTLINE, 1.5 if not small else 3)


def RedCross(c, small):
    w = 18 if small else 14
    for a, b in (((22, 22), (78, 78)), ((78, 22), (22, 78))):
        c.line([a, b], WHITE, w + (8 if small else 6))
    for a, b in (((22, 22), (78, 78)), ((78, 22), (22, 78))):
        c.line([a, b], RED, w)


def Prohibition(c, small, box=(6, 6, 94, 94)):
    """A red prohibition sign: a ring with a slash from upper left to lower right.

    Thin white edges keep it apart from the picture below, which stays visible
    inside the ring."""
    x0, y0, x1, y1 = box
    ring = (x1 - x0) * (0.15 if small else 0.11)
    edge = 2 if small else 1.2
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    r = (x1 - x0) / 2 - edge - ring / 2  # the ring's centre line
    c.ellipse(cx - r, cy - r, cx + r, cy + r, outline=WHITE, width=ring + 2 * edge)
    d = (r - ring * 0.2) * 0.7071
    c.line([(cx - d, cy - d), (cx + d, cy + d)], WHITE, ring * 0.7 + 2 * edge)
    c.ellipse(cx - r - ring / 2, cy - r - ring / 2, cx + r + ring / 2, cy + r + ring / 2,
              outline=RED, width=ring)
    c.line([(cx - d, cy - d), (cx + d, cy + d)], RED, ring * 0.7)


def DriveIcon(kind, pixels):
    small = pixels <= 16
    c = Canvas(pixels)
    if kind == "passed":
        c.ellipse(2, 2, 98, 98, fill=PALE_GREEN, outline=GREEN, width=12 if small else 9)
        Drive(c, small, (18, 32, 84, 70))
    elif kind == "stopped":
        Drive(c, small, (8, 30, 92, 76))
    else:
        Drive(c, small)
    if kind == "failed":
        RedCross(c, small)
    elif kind == "stopped":
        Prohibition(c, small)
    return c.result()


def ApplicationIcon(pixels):
    """A yellow four-slot card reader with a memory card beside it."""
    small = pixels <= 16
    c = Canvas(pixels)
    line = 5 if small else 3
    yellow_top = (255, 236, 110, 255)
    yellow = (245, 200, 20, 255)
    yellow_side = (200, 150, 0, 255)
    # Reader body, lower left, seen from above like the drive.
    x0, y0, x1, y1 = 2, 40, 70, 92
    depth, skew = 18, 8
    c.polygon([(x1 - skew, y0 + depth), (x1, y0), (x1, y1 - depth), (x1 - skew, y1)],
              yellow_side, OUTLINE, line)
    c.polygon([(x0 + skew, y0), (x1, y0), (x1 - skew, y0 + depth), (x0, y0 + depth)],
              yellow_top, OUTLINE, line)
    c.polygon([(x0, y0 + depth), (x1 - skew, y0 + depth), (x1 - skew, y1), (x0, y1)],
              yellow, OUTLINE, line)
    # Slots on the front: two wide and two narrow, or one for the small icon.
    if small:
        c.rect(8, 68, 52, 76, DRIVE_SLOT)
    else:
        c.rect(7, 63, 33, 68, DRIVE_SLOT)
        c.rect(37, 63, 57, 68, DRIVE_SLOT)
        c.rect(7, 76, 27, 81, DRIVE_SLOT)
        c.rect(31, 76, 57, 81, DRIVE_SLOT)
    # The card: blue, with a cut corner and gold contacts, standing upper right.
    cx0, cy0, cx1, cy1 = 58, 4, 96, 56
    cut = 10
    c.polygon([(cx0, cy0), (cx1 - cut, cy0), (cx1, cy0 + cut), (cx1, cy1), (cx0, cy1)],
              (40, 90, 200, 255), OUTLINE, line)
    c.rect(cx0 + 5, cy0 + 22, cx1 - 5, cy1 - 6, (230, 236, 250, 255))  # label
    if not small:
        for i in range(4):
            x = cx0 + 5 + i * 6.5
            c.rect(x, cy0 + 5, x + 4, cy0 + 15, (240, 190, 40, 255))
    return c.result()


def House(c, x0, y0, x1, y1):
    """A small house with a door, within the box."""
    w = x1 - x0
    roof_y = y0 + (y1 - y0) * 0.45
    c.rect(x0 + w * 0.12, roof_y, x1 - w * 0.12, y1, (245, 225, 180, 255), OUTLINE, 3)
    c.polygon([(x0, roof_y + 2), (x0 + w / 2, y0), (x1, roof_y + 2)], (170, 40, 30, 255),
              OUTLINE, 3)
    # Open door: a dark doorway.
    dx0 = x0 + w * 0.40
    c.rect(dx0, y1 - (y1 - roof_y) * 0.62, dx0 + w * 0.24, y1, (70, 45, 25, 255),
           OUTLINE, 2)


def Arrow(c, x0, y, x1, thickness):
    """A red arrow pointing right from x0 to x1 at height y, white edged."""
    head = thickness * 1.6
    body = [(x0, y - thickness / 2), (x1 - head, y - thickness / 2),
            (x1 - head, y - head), (x1, y), (x1 - head, y + head),
            (x1 - head, y + thickness / 2), (x0, y + thickness / 2)]
    c.polygon(body, RED, DARK_RED, 3)


def ExitPicture(pixels):
    c = Canvas(pixels)
    House(c, 4, 10, 62, 90)
    Arrow(c, 46, 70, 98, 16)
    return c.result()


def Chip(c, x0, y0, x1, y1):
    """A black chip with silver pins on its left and right sides."""
    w = x1 - x0
    pins = 4
    ph = (y1 - y0) / (pins * 2 + 1)
    for i in range(pins):
        py = y0 + ph * (1 + 2 * i)
        c.rect(x0 - w * 0.16, py, x0 + 2, py + ph, (200, 200, 210, 255), OUTLINE, 1.5)
        c.rect(x1 - 2, py, x1 + w * 0.16, py + ph, (200, 200, 210, 255), OUTLINE, 1.5)
    c.rect(x0, y0, x1, y1, (45, 45, 55, 255), OUTLINE, 2, radius=3)
    c.ellipse(x0 + 4, y0 + 4, x0 + 10, y0 + 10, fill=(150, 150, 160, 255))


def Flame(c, cx, y_bottom, height):
    """A flame standing on (cx, y_bottom): red outside, orange, then yellow."""
    def Tongue(scale, colour):
        h = height * scale
        w = h * 0.62
        b = y_bottom
        pts = [(cx, b - h), (cx + w * 0.18, b - h * 0.72), (cx + w * 0.5, b - h * 0.45),
               (cx + w * 0.5, b - h * 0.2), (cx + w * 0.3, b), (cx - w * 0.3, b),
               (cx - w * 0.5, b - h * 0.2), (cx - w * 0.45, b - h * 0.5),
               (cx - w * 0.25, b - h * 0.42), (cx - w * 0.15, b - h * 0.75)]
        c.polygon(pts, colour)
    Tongue(1.0, (215, 40, 0, 255))
    Tongue(0.72, (255, 140, 0, 255))
    Tongue(0.42, (255, 235, 60, 255))


def GoPicture(pixels, stopped):
    c = Canvas(pixels)
    if stopped:
        # The same chip, smaller, so it shows inside the sign.
        Chip(c, 34, 54, 66, 82)
        Flame(c, 50, 62, 46)
        Prohibition(c, False, (1, 1, 99, 99))
    else:
        Chip(c, 26, 50, 74, 94)
        Flame(c, 50, 62, 60)
    return c.result()


# ---- button faces -----------------------------------------------------------

FACE_W, FACE_H = 46, 39
PICTURE = 33  # pictogram size inside a face


def Bevel(d, sunken):
    light, shadow, dark = (255, 255, 255), (128, 128, 128), (0, 0, 0)
    w, h = FACE_W - 1, FACE_H - 1
    if sunken:
        d.line([(0, h), (0, 0), (w, 0)], fill=dark)
        d.line([(1, h - 1), (1, 1), (w - 1, 1)], fill=shadow)
        d.line([(1, h), (w, h), (w, 1)], fill=light)
    else:
        d.line([(0, h - 1), (0, 0), (w - 1, 0)], fill=light)
        d.line([(1, h - 1), (w - 1, h - 1), (w - 1, 1)], fill=shadow)
        d.line([(0, h), (w, h), (w, 0)], fill=dark)


def Greyed(picture):
    """The disabled look: an embossed grey silhouette of the picture."""
    alpha = picture.getchannel("A").point(lambda a: 255 if a > 110 else 0)
    grey = ImageEnhance.Brightness(picture.convert("L")).enhance(1.0)
    grey = grey.point(lambda v: 128 if v < 170 else 160)
    out = Image.new("RGBA", picture.size, (0, 0, 0, 0))
    highlight = Image.new("RGBA", picture.size, (255, 255, 255, 255))
    shifted = ImageChops.offset(alpha, 1, 1)
    out.paste(highlight, (0, 0), shifted)
    out.paste(Image.merge("RGBA", (grey, grey, grey, alpha)), (0, 0), alpha)
    return out


def Face(picture, state):
    """One 46x39 face: state is up, selected, focused or disabled."""
    face = Image.new("RGB", (FACE_W, FACE_H), BUTTON_FACE)
    d = ImageDraw.Draw(face)
    sunken = state == "selected"
    if state == "disabled":
        picture = Greyed(picture)
    x = (FACE_W - PICTURE) // 2 + (1 if sunken else 0)
    y = (FACE_H - PICTURE) // 2 + (1 if sunken else 0)
    face.paste(picture, (x, y), picture)
    if sunken:
        # Pressed: the whole face a shade darker, as if pushed into shadow.
        face = ImageEnhance.Brightness(face).enhance(0.86)
        d = ImageDraw.Draw(face)
    Bevel(d, sunken)
    if state == "focused":
        for px in range(3, FACE_W - 3):
            for py in (3, FACE_H - 4):
                if (px + py) % 2 == 0:
                    face.putpixel((px, py), (0, 0, 0))
        for py in range(3, FACE_H - 3):
            for px in (3, FACE_W - 4):
                if (px + py) % 2 == 0:
                    face.putpixel((px, py), (0, 0, 0))
    return face


def To256Colours(face):
    return face.quantize(colors=256, method=Image.MEDIANCUT, dither=Image.NONE)


# ---- file writers -----------------------------------------------------------

def WriteIco(path, images):
    """An .ico of 32-bit DIB images (XOR with alpha plus the AND mask)."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for im in images:
        w, h = im.size
        px = im.convert("RGBA").load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask),
                             0, 0, 0, 0)
        blob = header + bytes(xor) + bytes(mask)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob),
                                   offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


def Main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", default=os.path.join(here, "..", "..", "resources",
                                                      "pictures"))
    parser.add_argument("--sheet")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)

    icons = {
        "application": lambda n: ApplicationIcon(n),
        "drive": lambda n: DriveIcon("idle", n),
        "drive-failed": lambda n: DriveIcon("failed", n),
        "drive-passed": lambda n: DriveIcon("passed", n),
        "drive-stopped": lambda n: DriveIcon("stopped", n),
    }
    sheet_rows = []
    for name, make in icons.items():
        images = [make(32), make(16)]
        WriteIco(os.path.join(args.out, name + ".ico"), images)
        sheet_rows.append(images)

    pictures = {
        "exit": ExitPicture(PICTURE),
        "go": GoPicture(PICTURE, False),
        "stop": GoPicture(PICTURE, True),
    }
    face_rows = []
    for name, picture in pictures.items():
        row = []
        for state in ("up", "selected", "focused", "disabled"):
            face = To256Colours(Face(picture, state))
            face.save(os.path.join(args.out, "%s-%s.bmp" % (name, state)))
            row.append(face.convert("RGB"))
        face_rows.append(row)

    if args.sheet:
        zoom = 6
        width = 4 * (FACE_W + 4) * zoom
        height = (len(sheet_rows) * 36 + len(face_rows) * (FACE_H + 4)) * zoom
        sheet = Image.new("RGB", (width, height), (236, 233, 216))
        y = 0
        for images in sheet_rows:
            x = 0
            for im in images + [images[0]]:
                big = im.resize((im.size[0] * zoom, im.size[1] * zoom), Image.NEAREST)
                sheet.paste(big, (x, y), big)
                x += (im.size[0] + 4) * zoom
            # And at its real size, as a list row would show it.
            sheet.paste(images[0], (x, y), images[0])
            sheet.paste(images[1], (x + 40, y), images[1])
            y += 36 * zoom
        for row in face_rows:
            x = 0
            for face in row:
                sheet.paste(face.resize((FACE_W * zoom, FACE_H * zoom), Image.NEAREST), (x, y))
                x += (FACE_W + 4) * zoom
            y += (FACE_H + 4) * zoom
        sheet.save(args.sheet)


if __name__ == "__main__":
    Main()
