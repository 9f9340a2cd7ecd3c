// Vec3 and its one helper, shared by both demos. Components are 32-bit floats;
// every formula that produces one is evaluated in double and rounded once.
#pragma once

struct Vec3 {
    float x;
    float y;
    float z;
};

// Scales v in place to unit length. A zero vector, or one whose inverse length
// rounds to 0, becomes (0, 0, 1) so that a normal is never left undefined.
void normalizeVec3(Vec3& v);
