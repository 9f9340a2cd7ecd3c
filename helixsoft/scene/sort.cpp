// The depth sort. Each partition makes the same exchanges as the plain Hoare
// scans, but finds the scans' stops in bit masks over windows of keys, so the
// only branches left are per exchange and per window, not per key; the smallest
// ranges are finished in one step from a table of their final orders. The
// masks are written once in Highway and compiled for each instruction set that
// pays (the rest of the sort is the same on all of them).
#ifndef HELIXSOFT_SORT_SHARED
#define HELIXSOFT_SORT_SHARED

#include "sort.h"

#include "rounding.h"

#include <array>
#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <utility>

namespace depth_sort {

// Record r lives at index kSlack + r of the scratch arrays.
constexpr size_t kSlack = 32;
// Keys per mask: the bits of one 32-bit word.
constexpr int32_t kWindow = 32;
static_assert(kWindow <= static_cast<int32_t>(kSlack), "windows must stay in the slack");
constexpr int kRangeStackSize = 256;
// Up to this many records a partition runs the plain scans: two windows of
// masks cost more than the few mispredicted steps of a short scan.
constexpr int32_t kPlainScanRecords = 8;
// Ranges of up to this many records are finished from the leaf table.
constexpr int32_t kLeafRecords = 5;

struct IndexRange {
    int32_t low;
    int32_t high;
};

// One partition of low..high around the middle key, word for word: i and j end
// where the scans crossed.
template <typename Order>
constexpr void partitionPlain(int32_t* keys, Order* orders, int32_t low, int32_t high, int32_t& i,
                              int32_t& j)
{
    const int32_t pivot = keys[low + (high - low) / 2];
    i = low;
    j = high;
    do {
        while (keys[i] < pivot) {
            ++i;
        }
        while (keys[j] > pivot) {
            --j;
        }
        if (i <= j) {
            std::swap(keys[i], keys[j]);  // also at i = j, where it changes nothing
            std::swap(orders[i], orders[j]);
            ++i;
            --j;
        }
    } while (i <= j);
}

struct PlainPartition {
    template <typename Order>
    static constexpr void run(int32_t* keys, Order* orders, int32_t low, int32_t high, int32_t& i,
                              int32_t& j)
    {
        partitionPlain(keys, orders, low, high, i, j);
    }
};

// Sorts records 0 to count - 1 of a range of at most kLeafRecords.
void finishLeaf(int32_t* keys, int32_t* orders, int32_t count);

// The quicksort's driver, around Partition::run(keys, orders, low, high, i, j).
// With shortcuts, small ranges are finished from the leaf table; without, and
// with the plain partition, it is the algorithm word for word, which is what
// fills the leaf table.
template <class Partition, bool shortcuts, typename Order>
[[gnu::always_inline]] constexpr void quickSortRange(int32_t* keys, Order* orders, int32_t low,
                                                    int32_t high)
{
    // Entry 0 is unused: sp names the next free entry and the stack is empty at 1.
    IndexRange rangeStack[kRangeStackSize + 1];
    int sp = 1;
    rangeStack[sp++] = IndexRange{low, high};
    while (sp != 1) {
        --sp;
        int32_t left = rangeStack[sp].low;
        int32_t right = rangeStack[sp].high;
        do {
            if constexpr (shortcuts) {
                if (right - left < kLeafRecords) {
                    finishLeaf(keys + left, orders + left, right - left + 1);
                    break;
                }
            }
            int32_t i = 0;
            int32_t j = 0;
            Partition::run(keys, orders, left, right, i, j);
            // The smaller part goes on at once and the larger waits on the
            // stack, which bounds the stack by log2 of the record count.
            if (j - left < right - i) {
                if (i < right) {
                    rangeStack[sp++] = IndexRange{i, right};
                }
                right = j;
            } else {
                if (left < j) {
                    rangeStack[sp++] = IndexRange{left, j};
                }
                left = i;
            }
            assert(sp <= kRangeStackSize);
        } while (left < right);
    }
}

// The quicksort only ever compares keys of one range with each other, so the
// order it leaves n keys in depends on nothing but their ranks (each key's
// count of smaller keys). Entry code * n + p names the record that ends at
// position p, where code packs the ranks as base-n digits, record 0 lowest.
template <int32_t n>
struct LeafTable {
    static constexpr int32_t kCodes = [] {
        int32_t codes = 1;
        for (int32_t t = 0; t < n; ++t) {
            codes *= n;
        }
        return codes;
    }();
    std::array<uint8_t, kCodes * n> order{};
};

template <int32_t n>
constexpr LeafTable<n> buildLeafTable()
{
    LeafTable<n> table;
    for (int32_t code = 0; code < LeafTable<n>::kCodes; ++code) {
        int32_t ranks[n] = {};
        uint8_t records[n] = {};
        for (int32_t r = 0, digits = code; r < n; ++r, digits /= n) {
            ranks[r] = digits % n;
            records[r] = static_cast<uint8_t>(r);
        }
        quickSortRange<PlainPartition, false>(ranks, records, 0, n - 1);
        for (int32_t p = 0; p < n; ++p) {
            table.order[code * n + p] = records[p];
        }
    }
    return table;
}

template <int32_t n>
void finishLeafOf(int32_t* keys, int32_t* orders)
{
    static constexpr LeafTable<n> kTable = buildLeafTable<n>();
    int32_t keyCopy[n];
    int32_t orderCopy[n];
    int32_t code = 0;
    for (int32_t r = 0, scale = 1; r < n; ++r, scale *= n) {
        int32_t rank = 0;
        for (int32_t other = 0; other < n; ++other) {
            rank += keys[other] < keys[r] ? 1 : 0;
        }
        code += rank * scale;
        keyCopy[r] = keys[r];
        orderCopy[r] = orders[r];
    }
    const uint8_t* order = &kTable.order[code * n];
    for (int32_t p = 0; p < n; ++p) {
        keys[p] = keyCopy[order[p]];
        orders[p] = orderCopy[order[p]];
    }
}

void finishLeaf(int32_t* keys, int32_t* orders, int32_t count)
{
    static_assert(kLeafRecords == 5, "one case per leaf size");
    switch (count) {
    case 2:
        finishLeafOf<2>(keys, orders);
        break;
    case 3:
        finishLeafOf<3>(keys, orders);
        break;
    case 4:
        finishLeafOf<4>(keys, orders);
        break;
    case 5:
        finishLeafOf<5>(keys, orders);
        break;
    default:
        break;  // a single record is in place
    }
}

} // namespace depth_sort

#endif  // HELIXSOFT_SORT_SHARED

// Everything below is compiled once per instruction set. Wider registers or
// SSE4 make the sort no faster than SSSE3 does (within 10%), so on x86 only
// SSSE3 and the portable fallback are built.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "sort.cpp"
#ifndef HWY_DISABLED_TARGETS
#define HWY_DISABLED_TARGETS (HWY_AVX3 | HWY_AVX2 | HWY_SSE4)
#endif
#include <hwy/foreach_target.h>  // must come before highway.h
#include <hwy/highway.h>

HWY_BEFORE_NAMESPACE();
namespace depth_sort {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// At most 16 lanes, so that a window is always two vectors or more.
using KeyTag = hn::CappedTag<int32_t, 16>;

// The mask bits of one vector of keys, lane 0 lowest.
HWY_INLINE uint32_t maskBits(KeyTag d, hn::Mask<KeyTag> mask)
{
    uint8_t bytes[2] = {};  // one bit per lane: 16 lanes at the most
    hn::StoreMaskBits(d, mask, bytes);
    return (bytes[0] | static_cast<uint32_t>(bytes[1]) << 8) & ((1u << hn::Lanes(d)) - 1u);
}

// The keys of a window that a scan passes over, bit t for the t-th key it
// meets: going up from keys[0] those below the pivot, going down from keys[0]
// (reading keys[-31..0]) those above it. Its stops are the other bits.
template <bool downwards>
HWY_INLINE uint32_t passedKeys(const int32_t* keys, int32_t pivot)
{
    const KeyTag d;
    const auto p = hn::Set(d, pivot);
    const size_t lanes = hn::Lanes(d);
    uint32_t passed = 0;
    for (size_t v = 0; v < kWindow; v += lanes) {
        if constexpr (downwards) {
            const auto met = hn::Reverse(d, hn::LoadU(d, keys - v - (lanes - 1)));
            passed |= maskBits(d, hn::Gt(met, p)) << v;
        } else {
            passed |= maskBits(d, hn::Lt(hn::LoadU(d, keys + v), p)) << v;
        }
    }
    return passed;
}

// The same partition with the scans' stops taken from masks. Exchanges only
// touch records left of i or right of j, so every record from i to j still
// holds its key from before the partition, and mask bits there are exact. A
// bit outside i..j may be stale or lie outside the range; such a stop is cut
// back to where the plain scan halts: the i-scan at j + 1 (after an exchange it
// holds a key >= pivot), the j-scan at p - 1 (keys from i to p - 1 are below
// the pivot, and i - 1 holds a key <= pivot after an exchange). Before the
// first exchange both scans stop at the pivot's own record at the latest. The
// j-scan's windows run downwards, so both scans take their next stop from the
// lowest set bit.
HWY_INLINE void partitionMasked(int32_t* keys, int32_t* orders, int32_t low, int32_t high,
                                int32_t& i, int32_t& j)
{
    const int32_t pivot = keys[low + (high - low) / 2];  // (low + high) / 2 without overflow
    i = low;
    j = high;
    int32_t leftBase = low;
    int32_t rightTop = high;
    uint32_t leftMask = ~passedKeys<false>(keys + leftBase, pivot);
    uint32_t rightMask = ~passedKeys<true>(keys + rightTop, pivot);
    for (;;) {
        while (leftMask == 0) {
            leftBase += kWindow;
            if (leftBase > j) {
                i = j + 1;
                return;
            }
            leftMask = ~passedKeys<false>(keys + leftBase, pivot);
        }
        const int32_t p = leftBase + std::countr_zero(leftMask);
        if (p > j) {
            i = j + 1;
            return;
        }
        while (rightMask == 0) {
            rightTop -= kWindow;
            if (rightTop < p) {
                i = p;
                j = p - 1;
                return;
            }
            rightMask = ~passedKeys<true>(keys + rightTop, pivot);
        }
        const int32_t q = rightTop - std::countr_zero(rightMask);
        if (q < p) {
            i = p;
            j = p - 1;
            return;
        }
        std::swap(keys[p], keys[q]);  // also at p = q, where it changes nothing
        std::swap(orders[p], orders[q]);
        leftMask &= leftMask - 1;
        rightMask &= rightMask - 1;
        i = p + 1;
        j = q - 1;
        if (i > j) {
            return;
        }
    }
}

// The masked scans where they pay, the plain ones for short ranges.
struct MaskedPartition {
    static void run(int32_t* keys, int32_t* orders, int32_t low, int32_t high, int32_t& i,
                    int32_t& j)
    {
        if (high - low >= kPlainScanRecords) {
            partitionMasked(keys, orders, low, high, i, j);
            return;
        }
        partitionPlain(keys, orders, low, high, i, j);
    }
};

void sortRange(int32_t* keys, int32_t* orders, int32_t low, int32_t high)
{
    quickSortRange<MaskedPartition, true>(keys, orders, low, high);
}

}  // namespace HWY_NAMESPACE
}  // namespace depth_sort
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace depth_sort {

HWY_EXPORT(sortRange);

namespace {

// Makes room for records 0 to count - 1; keeps what the arrays already hold.
void reserveScratch(DepthSortBuffer& scratch, size_t count)
{
    const size_t size = count + 2 * kSlack;
    if (scratch.keys.size() < size) {
        scratch.keys.resize(size);
        scratch.orders.resize(size);
    }
}

void sortScratchRange(DepthSortBuffer& scratch, int32_t low, int32_t high)
{
    assert(low >= 0 && low <= high &&
           static_cast<size_t>(high) + 2 * kSlack < scratch.keys.size() &&
           scratch.orders.size() == scratch.keys.size());
    HWY_DYNAMIC_DISPATCH(sortRange)(scratch.keys.data() + kSlack, scratch.orders.data() + kSlack,
                                    low, high);
}

} // namespace
} // namespace depth_sort

using depth_sort::kSlack;
using depth_sort::reserveScratch;
using depth_sort::sortScratchRange;

void sortFaces(const std::vector<Vertex>& vertices, std::vector<Face>& faces,
               DepthSortBuffer& scratch)
{
    if (faces.empty()) {
        return;
    }
    const int32_t last = static_cast<int32_t>(faces.size()) - 1;
    reserveScratch(scratch, faces.size());
    int32_t* keys = scratch.keys.data() + kSlack;
    int32_t* orders = scratch.orders.data() + kSlack;
    for (int32_t i = 0; i <= last; ++i) {
        const Face& f = faces[i];
        assert(f.i0 >= 0 && f.i1 >= 0 && f.i2 >= 0);
        assert(static_cast<size_t>(f.i0) < vertices.size() &&
               static_cast<size_t>(f.i1) < vertices.size() &&
               static_cast<size_t>(f.i2) < vertices.size());
        const double sum = static_cast<double>(vertices[f.i1].view.z) + vertices[f.i0].view.z +
                           vertices[f.i2].view.z;
        keys[i] = roundToInt32(sum);
        orders[i] = i;
    }
    sortScratchRange(scratch, 0, last);
    for (int32_t i = 0; i <= last; ++i) {
        faces[i].depthKey = keys[i];
        faces[i].drawOrder = orders[i];
    }
}

void quickSortFaces(std::vector<Face>& faces, int32_t low, int32_t high, DepthSortBuffer& scratch)
{
    if (low < 0 || low > high || static_cast<size_t>(high) >= faces.size()) {
        return;  // no such range: nothing to order
    }
    reserveScratch(scratch, faces.size());
    int32_t* keys = scratch.keys.data() + kSlack;
    int32_t* orders = scratch.orders.data() + kSlack;
    for (int32_t i = low; i <= high; ++i) {
        keys[i] = faces[i].depthKey;
        orders[i] = faces[i].drawOrder;
    }
    sortScratchRange(scratch, low, high);
    for (int32_t i = low; i <= high; ++i) {
        faces[i].depthKey = keys[i];
        faces[i].drawOrder = orders[i];
    }
}
#endif  // HWY_ONCE
