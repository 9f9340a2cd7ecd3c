// Back-to-front order of the tube's faces: keys from the corners' view depth,
// then the renderer's one fixed quicksort, whose order of equal keys decides
// which face is painted last. The sort moves only depthKey and drawOrder, never
// whole face records, and works in a scratch buffer that the caller owns.
#pragma once

#include "mesh.h"

#include <cstdint>
#include <vector>

// Keys and face indices in two parallel arrays, with slack on either side so
// that the sort may read whole windows of keys past the ends of a range. Grows
// to the largest face array once and is then reused: sorting allocates nothing.
struct DepthSortBuffer {
    std::vector<int32_t> keys;
    std::vector<int32_t> orders;
};

// Keys every face record (built or not) by the rounded sum of its corners' view
// z and sorts ascending, so drawOrder of position 0 names the farthest face.
void sortFaces(const std::vector<Vertex>& vertices, std::vector<Face>& faces,
               DepthSortBuffer& scratch);

// Ascending by depthKey over faces low to high (inclusive, low <= high), with an
// explicit stack of 256 ranges. Ties end in the order this particular quicksort
// leaves them (middle pivot, strict scans, exchange even at i = j, smaller part
// first), which decides which of two equal-key faces is painted last. A range
// that is not inside the array (low > high, low < 0 or high past the end)
// leaves every face untouched.
void quickSortFaces(std::vector<Face>& faces, int32_t low, int32_t high,
                    DepthSortBuffer& scratch);
