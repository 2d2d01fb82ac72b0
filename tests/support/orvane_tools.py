"""Helpers of the Python tests that run the built programs: orvane-batch, the demo-slide
generator, and readers of what they write (GenePix Results, PNG pictures)."""

import ctypes
import ctypes.util
import os
import struct
import subprocess
import zlib

BATCH = os.environ.get("ORVANE_BATCH", "build/analysis/batch/orvane-batch")
DEMO_SLIDE = os.environ.get("ORVANE_DEMO_SLIDE", "build/tools/orvane-demo-slide")


def batch(*args, check=True, cwd=None):
    """Runs orvane-batch (in `cwd` when given); returns the CompletedProcess (text output)."""
    result = subprocess.run([os.path.abspath(BATCH), *map(str, args)], capture_output=True,
                            text=True, cwd=cwd)
    if check and result.returncode != 0:
        raise AssertionError(f"orvane-batch {' '.join(map(str, args))}: "
                             f"exit {result.returncode}: {result.stderr}")
    return result


def demo_slide(folder, pixel_um=20, seed=1, placement_mm=None, pin_offset=None):
    """Generates a demo slide into `folder`; returns (red, green, slide map) paths."""
    args = [DEMO_SLIDE, "--pixel-um", str(pixel_um), "--seed", str(seed), "-o", str(folder)]
    if placement_mm is not None:
        args += ["--placement-mm", str(placement_mm)]
    if pin_offset is not None:
        args += ["--pin-offset", str(pin_offset)]
    subprocess.run(args, check=True, capture_output=True)
    return (os.path.join(folder, "demo_635.tif"), os.path.join(folder, "demo_532.tif"),
            os.path.join(folder, "slide_map_data.txt"))


def write_tiff(path, width, height, mode="w", bits=16):
    """A one-strip grey TIFF of zeros through libtiff; `mode` as TIFFOpen takes it ("wb":
    big-endian, "w8": BigTIFF)."""
    tiff = ctypes.CDLL(ctypes.util.find_library("tiff"))
    tiff.TIFFOpen.restype = ctypes.c_void_p
    tiff.TIFFOpen.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    tiff.TIFFSetField.argtypes = [ctypes.c_void_p, ctypes.c_uint32]
    tiff.TIFFWriteEncodedStrip.argtypes = [ctypes.c_void_p, ctypes.c_uint32, ctypes.c_char_p,
                                           ctypes.c_ssize_t]
    tiff.TIFFClose.argtypes = [ctypes.c_void_p]
    handle = tiff.TIFFOpen(str(path).encode(), mode.encode())
    assert handle, f"TIFFOpen {path}"
    # ImageWidth, ImageLength, BitsPerSample, SamplesPerPixel, Photometric (min is black),
    # RowsPerStrip, PlanarConfig (contiguous)
    for tag, value in ((256, width), (257, height), (258, bits), (277, 1), (262, 1),
                       (278, height), (284, 1)):
        tiff.TIFFSetField(handle, tag, ctypes.c_uint32(value))
    size = width * height * bits // 8
    tiff.TIFFWriteEncodedStrip(handle, 0, b"\0" * size, size)
    tiff.TIFFClose(handle)


def read_gpr(path):
    """The data rows of a GenePix Results file as dicts of column name to text."""
    with open(path, encoding="utf-8", newline="") as f:
        lines = f.read().split("\r\n")
    records = int(lines[1].split("\t")[0])
    columns = [c.strip('"') for c in lines[2 + records].split("\t")]
    rows = []
    for line in lines[3 + records:]:
        if line:
            rows.append(dict(zip(columns, (v.strip('"') for v in line.split("\t")))))
    return rows


def decode_png(data):
    """Checks a PNG file's signature, chunk CRCs and pixel data size (8-bit RGB, no interlace);
    returns (width, height)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature"
    pos, idat, width, height = 8, b"", None, None
    seen_end = False
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        assert zlib.crc32(kind + body) == crc, f"CRC of chunk {kind}"
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 2, 0), "8-bit RGB without interlace"
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            seen_end = True
        pos += 12 + length
    assert seen_end and width and height, "IHDR and IEND"
    raw = zlib.decompress(idat)
    assert len(raw) == height * (1 + 3 * width), "pixel data size"
    return width, height
