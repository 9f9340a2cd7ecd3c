// Projection of the tube onto the 640x480 screen and the back-to-front order of
// its faces. The eye sits at view z = 256 looking towards -Z with a focal length
// of 256 pixels; screen centre (320, 240), y growing downwards. The sort moves
// only depthKey and drawOrder, never whole face records.
#pragma once

#include "matrix.h"
#include "mesh.h"

#include <cstdint>
#include <vector>

// Vertices 0 to size - 2 (the last record is left alone): view = frame * pos,
// and the screen position when the rounded distance to the eye is positive;
// otherwise the screen position keeps its old value.
void projectVertices(std::vector<Vertex>& vertices, const Matrix4& frameMatrix);

// Keys every face record (built or not) by the rounded sum of its corners' view
// z and sorts ascending, so drawOrder of position 0 names the farthest face.
void sortFaces(const std::vector<Vertex>& vertices, std::vector<Face>& faces);

// Ascending by depthKey over faces low to high (inclusive, low <= high), with an
// explicit stack of 256 ranges. Ties end in the order this particular quicksort
// leaves them (middle pivot, strict scans, exchange even at i = j), which decides
// which of two equal-key faces is painted last. A range that is not inside the
// array (low > high, low < 0 or high past the end) leaves every face untouched.
void quickSortFaces(std::vector<Face>& faces, int32_t low, int32_t high);
