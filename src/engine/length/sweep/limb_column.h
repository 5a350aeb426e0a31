#pragma once
// One column of a limb sweep: per row the length and the count, the counts as GMP limb
// arrays laid end to end in large chunks. A column is written once, from its last row
// up, and cleared for reuse without giving its memory back, so a sweep allocates only
// while its numbers grow.

#include <cstdint>
#include <gmp.h>
#include <memory>
#include <vector>

#include "engine/length/sweep/column_pipeline.h"

namespace velmora::sweep {

// A count's limbs, least significant first, without high zero limbs (size 0 is zero).
struct Limbs {
    const mp_limb_t* limbs = nullptr;
    mp_size_t size = 0;
};

class LimbColumn {
public:
    explicit LimbColumn(std::size_t rows) : length(rows), values_(rows) {}

    std::vector<std::int16_t> length;
    ColumnProgress progress;

    Limbs operator[](std::size_t row) const { return values_[row]; }

    // Forgets every value; the chunks stay for the next column.
    void clear()
    {
        chunk_ = 0;
        used_ = 0;
    }
    // Room for a value of up to `bound` limbs at the end of the column.
    mp_limb_t* reserve(mp_size_t bound);
    // The value just built in the reserved room becomes row `row`'s.
    void commit(std::size_t row, const mp_limb_t* limbs, mp_size_t size);
    void setZero(std::size_t row) { values_[row] = {}; }
    void copy(std::size_t row, Limbs value);

private:
    struct Chunk {
        std::unique_ptr<mp_limb_t[]> limbs;
        std::size_t size;
    };

    std::vector<Limbs> values_;
    std::vector<Chunk> chunks_;
    std::size_t chunk_ = 0, used_ = 0;
};

}  // namespace velmora::sweep
