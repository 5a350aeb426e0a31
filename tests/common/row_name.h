#pragma once
// Names the rows of a parameterised table by their `name` field, so that a failure says
// which case failed.

#include <gtest/gtest.h>
#include <string>

namespace velmora::test {

struct RowName {
    template <class Row>
    std::string operator()(const testing::TestParamInfo<Row>& row) const
    {
        return row.param.name;
    }
};

}  // namespace velmora::test
