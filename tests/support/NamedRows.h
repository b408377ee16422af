// Table rows that carry a name: the name is the row's test name, so that one
// row runs alone with --gtest_filter and a failure says which row broke.
#ifndef NAMED_ROWS_H
#define NAMED_ROWS_H

#include <gtest/gtest.h>

#include <string>

namespace test
{
/// For INSTANTIATE_TEST_SUITE_P: a row's test name is its `name` field.
struct RowName
{
    template <class Row> std::string operator()(testing::TestParamInfo<Row> const &info) const
    {
        return info.param.name;
    }
};
} // namespace test

#endif
