#!/bin/bash
# Whole processes on the 1,000,000-triangle sphere, timed against a peer,
# alternating, RUNS runs each (5 by default); prints every run's wall time (s)
# and peak resident size (kB), then the medians of each row:
#   job   kestrune-batch ... loop  against OpenMesh's read_mesh + LoopT + write_mesh,
#         with the floor: writing a file of the output's size
#   obj, ply, stl   kestrune-batch's export (binary PLY and STL) against
#         OpenMesh's read_mesh + write_mesh
#   glb   kestrune-batch's GLB export against its own Kestrune OFF output
#
#   bash bench/batch_job.sh BUILD_DIR [SCRATCH_DIR]     (ROWS="job obj ply stl glb" by default)
set -euo pipefail
build=$1
scratch=${2:-$(mktemp -d)}
mkdir -p "$scratch"
batch=${BATCH:-$build/kestrune-batch}
peer=$build/bench/bench_batch_openmesh
runs=${RUNS:-5}
rows=${ROWS:-job obj ply stl glb}
[ -f "$scratch/sphere.off" ] || "$peer" sphere "$scratch/sphere.off"
run() {  # label command...
  # The previous run's output is flushed first, so that its writeback never
  # lands in the time of the next one.
  sync
  /usr/bin/time -f "%e %M" -o "$scratch/time.txt" "${@:2}" >/dev/null
  read -r seconds kilobytes < "$scratch/time.txt"
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
    *) report "kestrune-$row" "openmesh-$row" ;;
  esac
  rm -f "$scratch"/ours* "$scratch"/openmesh*
done
