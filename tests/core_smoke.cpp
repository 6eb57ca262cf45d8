#include <gtest/gtest.h>

#include "core/datatable.h"

TEST(DataTable, StartsWithHundredRows) {
    EXPECT_EQ(kurv::DataTable().RowCount(), 100);
}
