"""TGA files written and read by PIL (Debian's python3-pil), for the texture tests.

usage: python3 pil_tga.py DIR

Writes DIR/pil_<mode>_<bottom|top>_<raw|rle>.tga for every mode PIL writes as
TGA, then reads back every DIR/*.tga, the test's own files included, and
writes DIR/<name>.rgba: the pixels PIL reads, as RGBA bytes, top row first.
Exits with status 3, saying why, when PIL cannot be imported.
"""
import pathlib
import sys

try:
    from PIL import Image
except ImportError as error:
    print(f"PIL cannot be imported ({error}); Debian ships it as python3-pil")
    sys.exit(3)

WIDTH, HEIGHT = 7, 5
COLOURS = [(255, 32, 16, 255), (16, 255, 32, 128), (32, 16, 255, 0),
           (254, 254, 254, 64), (0, 0, 0, 0), (128, 64, 32, 16)]


# Runs of three, some across a row end, for the run-length files; no row reads
# the same both ways.
def palette_indices():
    return [(i // 3) % len(COLOURS) for i in range(WIDTH * HEIGHT)]


def picture(mode):
    if mode == "P":
        image = Image.new("P", (WIDTH, HEIGHT))
        image.putpalette([c for colour in COLOURS for c in colour[:3]])
        image.putdata(palette_indices())
        return image
    image = Image.new("RGBA", (WIDTH, HEIGHT))
    image.putdata([COLOURS[i] for i in palette_indices()])
    return image.convert(mode)


def write_pil_files(folder):
    for mode in ("L", "LA", "P", "RGB", "RGBA"):
        for origin, orientation in (("bottom", -1), ("top", 1)):
            for packing, compression in (("raw", None), ("rle", "tga_rle")):
                name = folder / f"pil_{mode}_{origin}_{packing}.tga"
                picture(mode).save(name, "TGA", orientation=orientation,
                                   compression=compression, id_section=b"PIL")


def main():
    folder = pathlib.Path(sys.argv[1])
    write_pil_files(folder)
    for tga in sorted(folder.glob("*.tga")):
        try:
            with Image.open(tga) as image:
                tga.with_suffix(".rgba").write_bytes(image.convert("RGBA").tobytes())
        except OSError as error:
            sys.exit(f"PIL cannot read {tga.name}: {error}")


main()
