// The depth sort's kernel: keys and face indices in two parallel arrays, ordered
// by the renderer's one fixed quicksort. Record r lives at index kDepthSortSlack
// + r; the slack on either side lets the partition read whole windows of keys
// past the ends of a range without leaving the arrays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr size_t kDepthSortSlack = 32;

struct DepthSortBuffer {
    std::vector<int32_t> keys;
    std::vector<int32_t> orders;
};

// Makes room for records 0 to count - 1; keeps what the arrays already hold.
void depthSortReserve(DepthSortBuffer& buffer, size_t count);

// Ascending by key over records low to high (0 <= low <= high < reserved count),
// leaving equal keys exactly where the iterative quicksort leaves them: middle
// pivot read once, strict scans, exchange even at i = j, smaller part first.
void depthSortRange(DepthSortBuffer& buffer, int32_t low, int32_t high);
