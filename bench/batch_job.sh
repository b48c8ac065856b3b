#!/bin/bash
# Whole processes on the 1,000,000-triangle sphere, timed against a peer,
# alternating, RUNS runs each (5 by default); prints every run's wall time (s)
# and peak resident size (kB), then the medians of each row:
#   job   kestrune-batch ... loop  against OpenMesh's read_mesh + LoopT + write_mesh,
#         with the floor: writing a file of the output's size
#   obj, ply, stl   kestrune-batch's export (binary PLY and STL) against
#         OpenMesh's read_mesh + write_mesh
#   glb   kestrune-batch's GLB export against its own Kestrune OFF output
#   off, std-off   OFF read and written back as Kestrune OFF, as standard OFF
#   from-obj, from-ply, from-stl   imports (files made by kestrune-batch)
#         written as Kestrune OFF, against OpenMesh's read_mesh + write_mesh
# Kestrune's peak is that of the program and its import child together.
#
#   bash bench/batch_job.sh BUILD_DIR [SCRATCH_DIR]
#   (ROWS="job obj ply stl glb off std-off from-obj from-ply from-stl" by default)
set -euo pipefail
build=$1
scratch=${2:-$(mktemp -d)}
mkdir -p "$scratch"
batch=${BATCH:-$build/kestrune-batch}
peer=$build/bench/bench_batch_openmesh
runs=${RUNS:-5}
rows=${ROWS:-job obj ply stl glb off std-off from-obj from-ply from-stl}
[ -f "$scratch/sphere.off" ] || "$peer" sphere "$scratch/sphere.off"
for format in obj ply stl; do
  [ -f "$scratch/input.$format" ] || "$batch" "$scratch/sphere.off" "$scratch/input.$format"
done
run() {  # label command...
  # The previous run's output is flushed first, so that its writeback never
  # lands in the time of the next one.
  sync
  KESTRUNE_MEMORY_REPORT=1 /usr/bin/time -f "%e %M" -o "$scratch/time.txt" "${@:2}" >/dev/null 2>"$scratch/err.txt"
  read -r seconds kilobytes < "$scratch/time.txt"
  # kestrune-batch reports its own peak and its import child's: their sum.
  if grep -q "^memory " "$scratch/err.txt"; then
    kilobytes=$(awk '/^memory / {print $2 + $3}' "$scratch/err.txt")
  fi
  echo "$1 $seconds $kilobytes" | tee -a "$scratch/runs.txt"
}
median() {  # label column
  grep "^$1 " "$scratch/runs.txt" | sort -k"$2" -n | awk -v m=$(((runs + 1) / 2)) 'NR == m {print $'"$2"'}'
}
report() {  # ours peer
  local t1 t2 m1 m2
  t1=$(median "$1" 2) t2=$(median "$2" 2) m1=$(median "$1" 3) m2=$(median "$2" 3)
  echo "median $1: $t1 s, $m1 kB | $2: $t2 s, $m2 kB | time ratio $(echo "scale=2; $t1 / $t2" | bc)," \
       "memory ratio $(echo "scale=2; $m1 / $m2" | bc)" | tee -a "$scratch/medians.txt"
}
: > "$scratch/runs.txt"
: > "$scratch/medians.txt"
s=$scratch/sphere.off
for row in $rows; do
  for i in $(seq "$runs"); do
    case $row in
      job) run kestrune "$batch" "$s" "$scratch/ours.off" loop
           run openmesh "$peer" job "$s" "$scratch/openmesh.off" ;;
      obj) run kestrune-obj "$batch" "$s" "$scratch/ours.obj"
           run openmesh-obj "$peer" export "$s" "$scratch/openmesh.obj" ;;
      ply) run kestrune-ply "$batch" "$s" "$scratch/ours.ply"
           run openmesh-ply "$peer" export "$s" "$scratch/openmesh.ply" binary ;;
      stl) run kestrune-stl "$batch" "$s" "$scratch/ours.stl"
           run openmesh-stl "$peer" export "$s" "$scratch/openmesh.stl" binary ;;
      glb) run kestrune-glb "$batch" "$s" "$scratch/ours.glb"
           run kestrune-off "$batch" "$s" "$scratch/ours-copy.off" ;;
      off) run kestrune-to-off "$batch" "$s" "$scratch/ours.off"
           run openmesh-to-off "$peer" export "$s" "$scratch/openmesh.off" ;;
      std-off) run kestrune-to-std-off "$batch" --standard-off "$s" "$scratch/ours.off"
           run openmesh-to-std-off "$peer" export "$s" "$scratch/openmesh.off" ;;
      from-*) format=${row#from-}
           run "kestrune-$row" "$batch" "$scratch/input.$format" "$scratch/ours.off"
           run "openmesh-$row" "$peer" export "$scratch/input.$format" "$scratch/openmesh.off" ;;
    esac
  done
  case $row in
    job) report kestrune openmesh
         size=$(stat -c %s "$scratch/ours.off")
         start=$(date +%s.%N)
         head -c "$size" /dev/zero > "$scratch/floor.bin" && sync "$scratch/floor.bin"
         end=$(date +%s.%N)
         echo "floor: writing $size bytes (with fsync) took $(echo "$end - $start" | bc) s"
         rm -f "$scratch/floor.bin" ;;
    glb) report kestrune-glb kestrune-off ;;
    off | std-off) report "kestrune-to-$row" "openmesh-to-$row" ;;
    *) report "kestrune-$row" "openmesh-$row" ;;
  esac
  rm -f "$scratch"/ours* "$scratch"/openmesh*
done
rm -f "$scratch"/input.*
