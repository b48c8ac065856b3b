// Reference remodelling: the plain scans of each algorithm, written as
// directly as possible and with no index structure. Slow (V x F + E^2 + E x F
// for a Loop step) but easy to check by reading; the fast implementation must
// give exactly its results, bit for bit and in the same orders.
#pragma once

namespace literal {

void optimizeBases();
void triangulateAll();
void loopSubdivide();

}  // namespace literal
