#!/usr/bin/env python3
"""Writes the payload fuzzer's seeds into fuzz/payload-corpus/.

Each seed is one mode byte (1: the fuzzer puts the CRC right, 0: as is) and
a file: program bytes, payloads and footers as the builder's own file could
end.
"""
import os
import struct
import zlib

MAGIC = b"SCNPAYL\x1a"
CRLF = b"\r\n"


def payload(name, train, texts, version=1):
    pieces = [name, train] + [b"".join(l + CRLF for l in t) for t in texts]
    body = b"".join(pieces)
    sizes = struct.pack("<I", version) + b"".join(struct.pack("<I", len(p)) for p in pieces)
    crc = zlib.crc32(sizes, zlib.crc32(body)) & 0xFFFFFFFF
    return body + sizes + struct.pack("<I", crc) + MAGIC


PROGRAM = b"MZ\x90\x00" + bytes(range(60))
LINE = [b"[generale]", b"lunghezza percorso,    2000", b"[fine]"]
TRAIN = [b"[generale]", b"numero vetture,    3", b"[fine]"]
SMALL = payload(b"PROVA", b"T1", [LINE, TRAIN, [b"Citt\xe0 \x80", b""], [], [b"\t7.45"]])
FULL = payload(b"MILLE", b"R-1_a", [[b"x"] * 1000, TRAIN, [], [], []])

seeds = {
    "valid-small": b"\x00" + PROGRAM + SMALL,
    "valid-1000-lines": b"\x00" + PROGRAM + FULL,
    # A packed builder packed again without its payload taken off first.
    "valid-footer-inside-footer": b"\x00" + PROGRAM + SMALL + payload(b"ALTRO", b"T2", [[], [], [], [], []]),
    "bad-crc": b"\x00" + PROGRAM + SMALL[:-12] + b"\x00\x00\x00\x00" + MAGIC,
    "truncated-program": b"\x00" + SMALL[10:],
    "huge-sizes": b"\x00" + PROGRAM + SMALL[:-44] + struct.pack("<8I", 1, *([0xFFFFFFFF] * 7)) + b"\x00" * 4 + MAGIC,
    "device-name-resealed": b"\x01" + PROGRAM + payload(b"COM1", b"T1", [LINE, TRAIN, [], [], []]),
    "end-marker-line-resealed": b"\x01" + PROGRAM + payload(b"A", b"B", [[b"riferimento fine del file"], [], [], [], []]),
    "version-2": b"\x01" + PROGRAM + payload(b"A", b"B", [[], [], [], [], []], version=2),
    "no-footer-magic-only": b"\x00" + MAGIC,
    "no-footer": b"\x00" + PROGRAM,
}
out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "payload-corpus")
os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
