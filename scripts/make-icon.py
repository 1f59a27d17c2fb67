#!/usr/bin/env python3
"""Draws the application icon and writes ui/res/tessam.ico (icon resource 128).

The icon holds 13 images in this order: 48, 32, 24 and 16 pixels with a
16-colour palette, the same sizes with a 256-colour palette, and 256, 48,
32, 24 and 16 pixels in 32-bit colour with alpha (the 256-pixel one as PNG).

    make-icon.py                  regenerate ui/res/tessam.ico
    make-icon.py --output FILE    write the icon elsewhere
    make-icon.py --hicolor DIR    also write DIR/<N>x<N>/apps/tessam.png
    make-icon.py --preview DIR    also write enlarged views of every image
"""

import argparse
import pathlib
import sys

REPO = pathlib.Path(__file__).resolve().parent.parent
sys.dont_write_bytecode = True  # keep the source tree free of __pycache__
sys.path.insert(0, str(REPO / "ui" / "res" / "icon"))

import design   # noqa: E402  (found through the path set just above)
import ico      # noqa: E402
import palette  # noqa: E402
import png      # noqa: E402

PALETTE_SIZES = (48, 32, 24, 16)
TRUE_COLOUR_SIZES = (256, 48, 32, 24, 16)
HICOLOR_SIZES = (16, 24, 32, 48, 256)


def build_images(pictures):
    """The 13 images of the icon, in file order, with a preview of what each shows."""
    images, previews = [], []
    for bits in (4, 8):
        for size in PALETTE_SIZES:
            colours, indices, transparent = palette.quantize(pictures[size], 1 << bits)
            images.append(ico.palette_dib(size, bits, colours, indices, transparent))
            previews.append((size, bits, [(0, 0, 0, 0) if clear else colours[i] + (255,)
                                          for i, clear in zip(indices, transparent)]))
    for size in TRUE_COLOUR_SIZES:
        if size == 256:
            images.append(ico.png_image(size, png.encode(pictures[size], size, size)))
        else:
            images.append(ico.rgba_dib(size, pictures[size]))
        previews.append((size, 32, pictures[size]))
    return images, previews


def write_if_changed(path, data):
    """Leaves an up-to-date icon alone: its time stamp does not trigger a resource
    rebuild, and a read-only checkout can still hand out the hicolor pictures."""
    if path.exists() and path.read_bytes() == data:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def write_hicolor(directory, pictures):
    for size in HICOLOR_SIZES:
        target = directory / f"{size}x{size}" / "apps" / "tessam.png"
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(png.encode(pictures[size], size, size))


def write_previews(directory, previews):
    """Each image enlarged without smoothing over a checkerboard, to judge it by eye."""
    directory.mkdir(parents=True, exist_ok=True)
    for size, bits, rgba in previews:
        factor = max(1, 192 // size)
        big = factor * size
        out = []
        for y in range(big):
            for x in range(big):
                r, g, b, a = rgba[(y // factor) * size + x // factor]
                shade = 230 if (x // 8 + y // 8) % 2 else 200
                out.append(tuple(round((c * a + shade * (255 - a)) / 255) for c in (r, g, b))
                           + (255,))
        (directory / f"icon-{size}-{bits}bit.png").write_bytes(png.encode(out, big, big))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", type=pathlib.Path, default=REPO / "ui" / "res" / "tessam.ico")
    parser.add_argument("--hicolor", type=pathlib.Path, metavar="DIR")
    parser.add_argument("--preview", type=pathlib.Path, metavar="DIR")
    args = parser.parse_args()

    pictures = {size: design.draw(size) for size in set(PALETTE_SIZES + TRUE_COLOUR_SIZES)}
    images, previews = build_images(pictures)
    write_if_changed(args.output, ico.container(images))
    if args.hicolor:
        write_hicolor(args.hicolor, pictures)
    if args.preview:
        write_previews(args.preview, previews)


if __name__ == "__main__":
    main()
