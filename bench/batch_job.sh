#!/bin/bash
# The whole batch job on the 1,000,000-triangle sphere: kestrune-batch against
# OpenMesh's read_mesh + LoopT + write_mesh, each a whole process, alternating,
# five runs each; prints every run's wall time (s) and peak resident size
# (kB), the medians, and the floor: writing a file of the output's size.
#
#   bash bench/batch_job.sh BUILD_DIR [SCRATCH_DIR]
set -euo pipefail
build=$1
scratch=${2:-$(mktemp -d)}
mkdir -p "$scratch"
batch=${BATCH:-$build/kestrune-batch}
peer=$build/bench/bench_batch_openmesh
[ -f "$scratch/sphere.off" ] || "$peer" sphere "$scratch/sphere.off"
run() {  # label command...
  # The previous run's output is flushed first, so that its writeback never
  # lands in the time of the next one.
  sync
  /usr/bin/time -f "%e %M" -o "$scratch/time.txt" "${@:2}" >/dev/null
  read -r seconds kilobytes < "$scratch/time.txt"
  echo "$1 $seconds $kilobytes" | tee -a "$scratch/runs.txt"
}
: > "$scratch/runs.txt"
for i in 1 2 3 4 5; do
  run kestrune "$batch" "$scratch/sphere.off" "$scratch/ours.off" loop
  run openmesh "$peer" job "$scratch/sphere.off" "$scratch/openmesh.off"
done
for side in kestrune openmesh; do
  grep "^$side " "$scratch/runs.txt" | sort -k2 -n | sed -n 3p | awk '{print "median time " $1 ": " $2 " s"}'
  grep "^$side " "$scratch/runs.txt" | sort -k3 -n | sed -n 3p | awk '{print "median peak " $1 ": " $3 " kB"}'
done
size=$(stat -c %s "$scratch/ours.off")
start=$(date +%s.%N)
head -c "$size" /dev/zero > "$scratch/floor.bin" && sync "$scratch/floor.bin"
end=$(date +%s.%N)
echo "floor: writing $size bytes (with fsync) took $(echo "$end - $start" | bc) s"
rm -f "$scratch/floor.bin" "$scratch/ours.off" "$scratch/openmesh.off"
