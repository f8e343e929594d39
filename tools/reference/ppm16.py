# SPDX-License-Identifier: MIT
# Slow, plain 16-bit PPM reading and writing for the cross-checking scripts.
# Arrays are int64 of shape (3, height, width) with row 0 the bottom row of
# the picture, the order the program keeps its planes in.
import numpy as np


def _header_tokens(data):
    tokens, pos = [], 2
    while len(tokens) < 3:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] != b"\n":
                pos += 1
            continue
        start = pos
        while data[pos:pos + 1].isdigit():
            pos += 1
        tokens.append(int(data[start:pos]))
    return tokens, pos + 1


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"P6":
        raise ValueError("%s: not a binary PPM" % path)
    (w, h, maxval), pos = _header_tokens(data)
    if maxval < 256:
        raw = np.frombuffer(data, dtype=np.uint8, count=w * h * 3, offset=pos).astype(np.int64) * 256
    else:
        raw = np.frombuffer(data, dtype=">u2", count=w * h * 3, offset=pos).astype(np.int64)
    top_down = raw.reshape(h, w, 3)
    return np.ascontiguousarray(top_down[::-1].transpose(2, 0, 1))


def write_ppm(path, planes):
    planes = np.asarray(planes)
    if planes.min() < 0 or planes.max() > 65535:
        raise ValueError("sample out of range")
    _, h, w = planes.shape
    top_down = planes[:, ::-1].transpose(1, 2, 0).astype(">u2")
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n65535\n" % (w, h))
        f.write(top_down.tobytes())
