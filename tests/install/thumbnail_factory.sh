#!/usr/bin/env bash
# Thumbnails as GNOME's file manager makes them: GnomeDesktop's thumbnail
# factory finds the installed thumbnailer through XDG_DATA_DIRS and the MIME
# type through the prefix's database, and runs kestrune-batch in its
# bubblewrap sandbox, which shows /usr and the model file alone. The sandbox
# hides /tmp, so the build is installed into a temporary prefix under
# /usr/local. The database holds another modeller's OFF type beside
# Kestrune's (MeshLab's, from the test data), so that OFF files get each of
# the types they can have. Each thumbnail must show its model over at least
# 40 % of the picture, standing out from the background (mean luminance 64
# apart at least) with two clearly different shades on it. Arguments: the
# build folder, a scratch folder.
set -euo pipefail
build="$1"
work="$2"
examples="$(readlink -f "$(dirname "$0")/../../examples")"
data="$(readlink -f "$(dirname "$0")/../data/desktop")"
skip() { echo "SKIP thumbnail factory: $*"; exit 0; }
/usr/bin/python3 -c "import gi; gi.require_version('GnomeDesktop', '3.0')" 2> /dev/null ||
  skip "python3-gi or gir1.2-gnomedesktop-3.0 missing"
command -v bwrap > /dev/null || skip "bubblewrap missing"
bwrap --ro-bind / / --unshare-all --die-with-parent true 2> /dev/null ||
  skip "bwrap cannot make its sandbox in this container"
[ -w /usr/local ] || skip "/usr/local not writable: no prefix the sandbox can see"

prefix="$(mktemp -d /usr/local/kestrune-thumbnails.XXXXXX)"
trap 'rm -rf "$prefix"' EXIT
chmod 755 "$prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null
cp "$data/meshlab-off.xml" "$prefix/share/mime/packages/"
update-mime-database "$prefix/share/mime" > /dev/null 2>&1

models="$work/factory"
mkdir -p "$models/textured" "$models/plain" "$models/obj" "$models/stl" "$models/glb" "$models/written"
cp "$examples/cube.off" "$models/textured/"   # its briques.jpg left behind
cp "$examples/tetraedre.off" "$models/plain/"
"$prefix/bin/kestrune-batch" "$examples/tore.off" "$models/obj/tore.obj" > /dev/null 2>&1
"$prefix/bin/kestrune-batch" "$examples/cube.off" "$models/stl/cube.stl" triangles loop > /dev/null 2>&1
"$prefix/bin/kestrune-batch" "$examples/cube.off" "$models/glb/cube.glb" > /dev/null 2>&1
# Kestrune's own OFF (model/x-kestrune-off) and standard OFF (MeshLab's type).
"$prefix/bin/kestrune-batch" "$examples/tetraedre.off" "$models/written/kestrune.off" > /dev/null 2>&1
"$prefix/bin/kestrune-batch" --standard-off "$examples/cube.off" "$models/written/standard.off" > /dev/null 2>&1
# A glTF whose buffer is a separate .bin: the sandbox shows the .gltf alone.
mkdir -p "$models/gltf"
"$prefix/bin/kestrune-batch" "$examples/cube.off" "$models/gltf/cube.gltf" > /dev/null 2>&1

export XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export PATH="$prefix/bin:$PATH"
/usr/bin/python3 - "$models"/textured/cube.off "$models"/plain/tetraedre.off "$models"/obj/tore.obj \
  "$models"/stl/cube.stl "$models"/glb/cube.glb "$models"/written/kestrune.off "$models"/written/standard.off \
  "$models"/gltf/cube.gltf <<'PYTHON'
import sys
import gi
gi.require_version('GnomeDesktop', '3.0')
from gi.repository import GnomeDesktop, Gio

factory = GnomeDesktop.DesktopThumbnailFactory.new(GnomeDesktop.DesktopThumbnailSize.NORMAL)
failed = False
for path in sys.argv[1:]:
    # As a file manager finds it: by name and by content.
    mime = Gio.File.new_for_path(path).query_info('standard::content-type', 0, None).get_content_type()
    try:
        picture = factory.generate_thumbnail(Gio.File.new_for_path(path).get_uri(), mime, None)
    except Exception as error:
        print(f"{path} ({mime}): no thumbnail: {error}")
        # The .bin beside a .gltf is out of the sandbox's sight (README).
        failed = failed or not path.endswith(".gltf")
        continue
    if path.endswith(".gltf"):
        print(f"{path} ({mime}): a thumbnail, the sandbox let the .bin be read")
    width, height, stride = picture.get_width(), picture.get_height(), picture.get_rowstride()
    channels, pixels = picture.get_n_channels(), picture.get_pixels()
    luminance = lambda p: 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2]
    background = pixels[0:3]
    model = []
    for y in range(height):
        for x in range(width):
            p = pixels[y * stride + x * channels:y * stride + x * channels + 3]
            if max(abs(p[k] - background[k]) for k in range(3)) > 12:  # not the background
                model.append(luminance(p))
    model.sort()
    cover = len(model) / (width * height)
    contrast = abs(sum(model) / max(1, len(model)) - luminance(background))
    dark, light = (model[len(model) // 10], model[len(model) * 9 // 10]) if model else (0, 0)
    print(f"{path} ({mime}): {width}x{height}, model over {cover:.1%}, contrast {contrast:.0f}, "
          f"shades {dark:.0f} to {light:.0f} (10th and 90th percentiles)")
    if cover < 0.4 or contrast < 64 or light - dark < 24 or light < 1.3 * dark:
        failed = True
sys.exit(1 if failed else 0)
PYTHON
