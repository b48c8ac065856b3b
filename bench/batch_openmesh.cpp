// The whole batch job (read an OFF file, one Loop step, write an OFF file) as
// OpenMesh does it, to be timed as a process beside kestrune-batch
// (bench/batch_job.sh runs both).
//
//   bench_batch_openmesh sphere FILE     writes the 1,000,000-triangle sphere
//   bench_batch_openmesh job IN OUT      read_mesh, LoopT, write_mesh
//   bench_batch_openmesh export IN OUT [binary]
//                                        read_mesh, write_mesh (OBJ, PLY, STL...)
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/TriMesh_ArrayKernelT.hh>
#include <OpenMesh/Tools/Subdivider/Uniform/LoopT.hh>
#include <cmath>
#include <cstdio>
#include <string>

#include "mesh/off_file.h"
#include "sphere_mesh.h"
#include "mesh/mesh.h"

int main(int argc, char** argv) {
    std::string what = argc > 1 ? argv[1] : "";
    if (what == "sphere" && argc == 3) {
        buildSphere(1000, 501);
        return saveOffFile(argv[2], mesh) == OffSaveResult::Saved ? 0 : 1;
    }
    if (what == "job" && argc == 4) {
        OpenMesh::TriMesh_ArrayKernelT<> m;
        if (!OpenMesh::IO::read_mesh(m, argv[2])) return 1;
        OpenMesh::Subdivider::Uniform::LoopT<OpenMesh::TriMesh_ArrayKernelT<>> loop;
        loop.attach(m);
        loop(1);
        loop.detach();
        return OpenMesh::IO::write_mesh(m, argv[3]) ? 0 : 1;
    }
    if (what == "export" && (argc == 4 || (argc == 5 && std::string(argv[4]) == "binary"))) {
        OpenMesh::TriMesh_ArrayKernelT<> m;
        if (!OpenMesh::IO::read_mesh(m, argv[2])) return 1;
        OpenMesh::IO::Options options = argc == 5 ? OpenMesh::IO::Options::Binary : OpenMesh::IO::Options::Default;
        return OpenMesh::IO::write_mesh(m, argv[3], options) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: %s sphere FILE | job IN OUT | export IN OUT [binary]\n", argv[0]);
    return 2;
}
