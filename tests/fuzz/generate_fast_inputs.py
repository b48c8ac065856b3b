#!/usr/bin/env python3
"""Writes inputs of fuzz_fast_import: STL, PLY and OBJ files (OBJ with its
MTL and picture) as exporters write them and with the variations that readers
tell apart (number spellings, blanks, line ends, index forms, properties,
material lines). Run the fuzzer on the folder to compare the two readings:

    python3 tests/fuzz/generate_fast_inputs.py build/fast-inputs 2000
    build/fuzz/tests/fuzz/fuzz_fast_import build/fast-inputs/*

The first byte of each input is the fuzzer's: extension (0 stl, 1 ply, 2 obj)
plus 3 times the picture beside it (0 none, 1 a usable one, 2 a small one).
"""
import os
import random
import struct
import sys


def number(rng, value):
    forms = [
        lambda v: "%g" % v, lambda v: "%.6f" % v, lambda v: repr(float(v)), lambda v: "%e" % v,
        lambda v: "%.9g" % v,
    ]
    text = rng.choice(forms)(value)
    odd = rng.random()
    if odd < 0.03:
        text = "+" + text
    elif odd < 0.06 and text.startswith("0."):
        text = text[1:]
    elif odd < 0.08:
        text = text.replace(".", ",")
    elif odd < 0.10:
        text = "-0.0"
    elif odd < 0.11:
        text = text + "\0" + "5"
    return text


def blank(rng):
    return rng.choice([" "] * 12 + ["  ", "\t", " \t"])


def point(rng):
    return [rng.choice([0.0, 1.0, -1.0, 0.5, rng.uniform(-100, 100), rng.uniform(-1e-3, 1e-3), 1e6])
            for _ in range(3)]


def obj_input(rng):
    count = rng.randint(3, 9)
    lines, vt, vn = [], 0, 0
    if rng.random() < 0.3:
        lines.append("# made by a tool")
    material = None
    library = rng.random() < 0.5
    names = ["kestrune", "Material", "m1"]
    if library:
        lines.append("mtllib m.mtl" + (rng.choice(["", " ", "\t"]) if rng.random() < 0.1 else ""))
    if rng.random() < 0.4:
        lines.append(rng.choice(["o Plane", "g kestrune", "o a b", "g", "s off"]))
    for _ in range(count):
        p = point(rng)
        words = [number(rng, c) for c in p]
        if rng.random() < 0.05:
            words += [number(rng, rng.random()) for _ in range(3)]
        elif rng.random() < 0.02:
            words.append("1")
        lines.append("v" + blank(rng) + blank(rng).join(words))
    shape = rng.choice(["v", "v/t", "v/t/n", "v//n"])
    if "t" in shape or rng.random() < 0.2:
        vt = rng.randint(1, 4)
        lines += ["vt %s %s" % (number(rng, rng.random()), number(rng, rng.random())) for _ in range(vt)]
    if "n" in shape or rng.random() < 0.2:
        vn = rng.randint(1, 3)
        lines += ["vn 0 0 1" for _ in range(vn)]
    if library and rng.random() < 0.7:
        material = rng.choice(names)
        lines.append("usemtl " + material + (" " if rng.random() < 0.05 else ""))
    for _ in range(rng.randint(1, 5)):
        n = rng.choice([3, 3, 4, 4, 5, 6])
        corners = [rng.randint(1, count) for _ in range(n)]
        if rng.random() < 0.02:
            corners = [corners[0]] * n
        tokens = []
        for c in corners:
            v = str(c) if rng.random() > 0.1 else str(c - count - 1)
            r = rng.random()
            if r < 0.02:
                v = "0" + v
            elif r < 0.04:
                v = "+" + v
            t = str(rng.randint(1, max(vt, 1)))
            nn = str(rng.randint(1, max(vn, 1)))
            token = {"v": v, "v/t": v + "/" + t, "v/t/n": v + "/" + t + "/" + nn, "v//n": v + "//" + nn}[shape]
            if rng.random() < 0.01:
                token = v + "/0"
            if rng.random() < 0.01:
                token = v + "/1/1/1"
            tokens.append(token)
        lines.append("f" + blank(rng) + blank(rng).join(tokens))
    end = "\r\n" if rng.random() < 0.1 else "\n"
    text = end.join(lines) + (end if rng.random() < 0.9 else "")
    mtl = ""
    if library:
        blocks = []
        for name in rng.sample(names, rng.randint(1, 3)):
            block = ["newmtl " + name]
            if rng.random() < 0.5:
                block += ["Ns 250.000000", "Ka 1.000000 1.000000 1.000000", "Kd 0.800000 0.800000 0.800000",
                          "illum 2", "d 1.000000"]
            if rng.random() < 0.7:
                spelling = rng.choice(["map_Kd t.jpg"] * 8 + ["map_Kd t.jpg ", "map_kd t.jpg", "map_Kd -s 1 1 1 t.jpg",
                                                             "  map_Kd t.jpg", "map_Kd missing.jpg"])
                block.append(spelling)
            blocks.append("\n".join(block))
        mtl = "\n\n".join(blocks) + "\n"
    picture = rng.choice([0, 1, 1, 1, 2])
    body = text.encode() + (b"\n--mtl--\n" + mtl.encode() if library else b"")
    return bytes([2 + 3 * picture]) + body


def ply_input(rng):
    count = rng.randint(3, 8)
    props = [("float", "x"), ("float", "y"), ("float", "z")]
    if rng.random() < 0.05:
        props[0] = ("double", "x")
    extras = rng.choice([[], [], [("float", "nx"), ("float", "ny"), ("float", "nz")],
                         [("uchar", "red"), ("uchar", "green"), ("uchar", "blue")],
                         [("float", "u"), ("float", "v")], [("float", "s"), ("float", "t")],
                         [("float", "tx"), ("float", "ty")], [("float", "texture_s"), ("float", "texture_t")],
                         [("float", "texture_u"), ("float", "texture_v")], [("float", "x")], [("float", "u")]])
    props += extras
    index = rng.choice(["int", "int", "uint", "int32"])
    header = ["ply", "format binary_little_endian 1.0"]
    if rng.random() < 0.3:
        header.append(rng.choice(["comment made by a tool", "comment TextureFile t.jpg", "obj_info x"]))
    spelled = rng.choice([str(count)] * 10 + ["+%d" % count, "0%d" % count])
    header.append("element vertex " + spelled)
    header += ["property %s %s" % p for p in props]
    faces = [[rng.randrange(count) for _ in range(rng.choice([3, 4, 5]))] for _ in range(rng.randint(1, 4))]
    header.append("element face %d" % len(faces))
    header.append("property list uchar %s vertex_indices" % index)
    header.append("end_header")
    end = "\r\n" if rng.random() < 0.05 else "\n"
    body = b""
    for _ in range(count):
        p = point(rng)
        for k, (kind, _) in enumerate(props):
            value = p[k] if k < 3 else rng.random()
            body += struct.pack({"float": "<f", "double": "<d", "uchar": "<B"}[kind],
                                int(value * 255) if kind == "uchar" else value)
    for face in faces:
        body += struct.pack("<B", len(face)) + b"".join(struct.pack("<i", c) for c in face)
    if rng.random() < 0.05:
        body += b"\0\0"
    return bytes([1]) + (end.join(header) + end).encode() + body


def stl_input(rng):
    triangles = rng.randint(1, 6)
    head = rng.choice([b"binary", b"solid thing", b"COLOR=\x10\x20\x30\xff", b""]).ljust(80, b" ")
    body = b""
    for _ in range(triangles):
        corners = [point(rng) for _ in range(3)]
        if rng.random() < 0.05:
            corners = [corners[0]] * 3
        if rng.random() < 0.05:
            corners[0][0] = -0.0
        body += struct.pack("<3f", 0, 0, 1) + b"".join(struct.pack("<3f", *c) for c in corners) + b"\0\0"
    count = triangles if rng.random() > 0.05 else triangles + 1
    return bytes([0]) + head + struct.pack("<I", count) + body


def main():
    folder, total = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20261209)
    makers = [stl_input, ply_input, obj_input, obj_input]
    for k in range(total):
        with open(os.path.join(folder, "input-%05d" % k), "wb") as out:
            out.write(makers[k % len(makers)](rng))


if __name__ == "__main__":
    main()
