#pragma once
// Names the rows of a parameterised table by their `name` field, so that a failure says
// which case failed.

#include <gtest/gtest.h>
#include <ostream>
#include <string>

namespace velmora::test {

// Rows print as their names when a case fails; a test file brings this in with
// `using velmora::test::PrintTo;` in the namespace of its rows.
template <class Row>
requires requires(const Row& row) { row.name; }
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

struct RowName {
    template <class Row>
    std::string operator()(const testing::TestParamInfo<Row>& row) const
    {
        return row.param.name;
    }
};

}  // namespace velmora::test
