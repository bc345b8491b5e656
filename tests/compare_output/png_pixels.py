"""The pixels of a PNG as chromium writes its screenshots (8 bits a
channel, RGB or RGBA, not interlaced), with the standard library and NumPy:
no imaging library is needed to read a screenshot."""
import struct
import zlib

import numpy

SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {2: 3, 6: 4}  # colour type: truecolour, truecolour with alpha


def _chunks(data):
    at = len(SIGNATURE)
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        yield data[at + 4:at + 8], data[at + 8:at + 8 + length]
        at += 12 + length


def _paeth(left, above, above_left):
    estimate = left + above - above_left
    distances = (abs(estimate - left), abs(estimate - above), abs(estimate - above_left))
    return (left, above, above_left)[distances.index(min(distances))]


def _unfilter_row(kind, row, previous, step):
    """One row of bytes with its PNG filter undone (None, Sub, Up, Average or
    Paeth, as the row's first byte says): Sub and Up in NumPy, Average and
    Paeth byte by byte, which chromium uses on few rows."""
    if kind == 0:
        return row
    if kind == 2:
        return (row.astype(numpy.uint16) + previous).astype(numpy.uint8)
    if kind == 1:
        # Each byte adds the one a pixel to its left: a running sum per channel.
        pixels = row.reshape(-1, step)
        return numpy.cumsum(pixels, axis=0, dtype=numpy.uint8).reshape(-1)
    out = bytearray(row.tobytes())
    above = previous.tobytes()
    for at in range(len(out)):
        left = out[at - step] if at >= step else 0
        above_left = above[at - step] if at >= step else 0
        guess = (left + above[at]) // 2 if kind == 3 else _paeth(left, above[at], above_left)
        out[at] = (out[at] + guess) & 0xFF
    return numpy.frombuffer(bytes(out), dtype=numpy.uint8)


def read_png(path):
    """The image as an array of rows, columns and RGB channels (alpha dropped)."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(SIGNATURE):
        raise AssertionError(f"{path} is not a PNG")
    compressed = b""
    for kind, body in _chunks(data):
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            compressed += body
    if depth != 8 or colour not in CHANNELS or interlace:
        raise AssertionError(f"{path}: a PNG of depth {depth}, colour type {colour}, interlace {interlace}; "
                             "only 8-bit RGB or RGBA without interlace is read here")
    step = CHANNELS[colour]
    raw = numpy.frombuffer(zlib.decompress(compressed), dtype=numpy.uint8).reshape(height, 1 + width * step)
    rows = numpy.zeros((height, width * step), dtype=numpy.uint8)
    previous = numpy.zeros(width * step, dtype=numpy.uint8)
    for y in range(height):
        previous = rows[y] = _unfilter_row(int(raw[y, 0]), raw[y, 1:], previous, step)
    return rows.reshape(height, width, step)[:, :, :3]
