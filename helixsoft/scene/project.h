// Projection of the tube onto the 640x480 screen. The eye sits at view z = 256
// looking towards -Z with a focal length of 256 pixels; screen centre (320,
// 240), y growing downwards.
#pragma once

#include "matrix.h"
#include "mesh.h"

#include <vector>

// Vertices 0 to size - 2 (the last record is left alone): view = frame * pos,
// and the screen position when the rounded distance to the eye is positive;
// otherwise the screen position keeps its old value.
void projectVertices(std::vector<Vertex>& vertices, const Matrix4& frameMatrix);
