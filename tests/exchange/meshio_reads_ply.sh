#!/usr/bin/env bash
# meshio, a reader that knows the PLY face list only by the name
# vertex_indices, reads the binary and the text PLY that kestrune-batch
# writes: every vertex at its coordinates, every face with its corners in
# order, quads kept. Exit code 77 (skipped) without Debian's python3-meshio.
# Argument: kestrune-batch.
set -euo pipefail
batch="$(readlink -f "$1")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 -c "import meshio" 2> /dev/null || { echo "SKIP: python3-meshio missing"; exit 77; }

# Off the origin, quads and triangles: a box under a roof.
cat > "$work/house.off" <<'MODEL'
OFF
9 9
100 -2 0
102.5 -2 0
102.5 -0.5 0
100 -0.5 0
100 -2 3.25
102.5 -2 3.25
102.5 -0.5 3.25
100 -0.5 3.25
101.25 -1.25 4.5
4 0 3 2 1
4 0 1 5 4
4 1 2 6 5
4 2 3 7 6
4 3 0 4 7
3 4 5 8
3 5 6 8
3 6 7 8
3 7 4 8
MODEL
"$batch" "$work/house.off" "$work/binary.ply"
"$batch" --ascii "$work/house.off" "$work/text.ply"

/usr/bin/python3 - "$work/house.off" "$work/binary.ply" "$work/text.ply" <<'PYTHON'
import sys
import meshio

lines = open(sys.argv[1]).read().split("\n")
vertex_count, face_count = map(int, lines[1].split())
points = [tuple(map(float, line.split())) for line in lines[2:2 + vertex_count]]
faces = [tuple(map(int, line.split()[1:])) for line in lines[2 + vertex_count:2 + vertex_count + face_count]]
expected = [tuple(points[v] for v in face) for face in faces]

failed = False
for path in sys.argv[2:]:
    model = meshio.read(path)
    # meshio groups faces by corner count, in file order within each group.
    got = []
    for block in model.cells:
        got += [tuple(tuple(float(c) for c in model.points[v]) for v in cell) for cell in block.data]
    want = sorted(expected, key=len, reverse=True) if model.cells[0].type == "quad" else sorted(expected, key=len)
    close = len(got) == len(want) and all(
        len(g) == len(w) and all(abs(a - b) <= 1e-5 * max(1.0, abs(b)) for p, q in zip(g, w) for a, b in zip(p, q))
        for g, w in zip(got, want))
    print(f"{path}: {len(model.points)} points, " + ", ".join(f"{len(b.data)} {b.type}" for b in model.cells))
    if len(model.points) != vertex_count or not close:
        print(f"FAIL: {path} is not the model written")
        failed = True
sys.exit(1 if failed else 0)
PYTHON
echo "PASS"
