#!/usr/bin/env bash
# Thumbnails as GNOME's file manager makes them: GnomeDesktop's thumbnail
# factory finds the installed thumbnailer through XDG_DATA_DIRS and the MIME
# type through the prefix's database, and runs kestrune-batch in its
# bubblewrap sandbox, which shows /usr and the model file alone. The sandbox
# hides /tmp, so the build is installed into a temporary prefix under
# /usr/local. Each thumbnail must be a PNG whose model pixels are there and
# not black. Arguments: the build folder, a scratch folder.
set -euo pipefail
build="$1"
work="$2"
examples="$(readlink -f "$(dirname "$0")/../../examples")"
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
update-mime-database "$prefix/share/mime" > /dev/null 2>&1

models="$work/factory"
mkdir -p "$models/textured" "$models/plain" "$models/obj" "$models/stl"
cp "$examples/cube.off" "$models/textured/"   # its briques.jpg left behind
cp "$examples/tetraedre.off" "$models/plain/"
"$prefix/bin/kestrune-batch" "$examples/tore.off" "$models/obj/tore.obj" > /dev/null 2>&1
"$prefix/bin/kestrune-batch" "$examples/cube.off" "$models/stl/cube.stl" triangles loop > /dev/null 2>&1

export XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export PATH="$prefix/bin:$PATH"
/usr/bin/python3 - "$models"/textured/cube.off "$models"/plain/tetraedre.off "$models"/obj/tore.obj \
  "$models"/stl/cube.stl <<'PYTHON'
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
        failed = True
        continue
    width, height, stride = picture.get_width(), picture.get_height(), picture.get_rowstride()
    channels, pixels = picture.get_n_channels(), picture.get_pixels()
    model = dark = 0
    for y in range(height):
        for x in range(width):
            r, g, b = pixels[y * stride + x * channels:y * stride + x * channels + 3]
            if max(abs(r - 102), abs(g - 102), abs(b - 102)) > 12:  # not the background
                model += 1
                dark += max(r, g, b) < 40
    print(f"{path} ({mime}): {width}x{height}, {model} model pixels, {dark} black")
    if model < width * height // 20 or dark > model // 10:
        failed = True
sys.exit(1 if failed else 0)
PYTHON
