#include "startuptable.h"

#include <gtest/gtest.h>

using namespace kavinto;

TEST(StartupTable, SlotsHoldTheWrappedSquares) {
    StartupTable table;
    table.fill();
    EXPECT_EQ(table.slot(1).toStdString(), "1");
    EXPECT_EQ(table.slot(46340).toStdString(), "2147395600");
    EXPECT_EQ(table.slot(46341).toStdString(), "-2147479015");
    EXPECT_EQ(table.slot(65536).toStdString(), "0");
    EXPECT_EQ(table.slot(1500000).toStdString(), "-562863104");
    EXPECT_TRUE(table.slot(0).isEmpty());
    EXPECT_TRUE(table.slot(1500001).isEmpty());
    // Compact: about 16 MB of text and offsets, not 1.5 million heap strings.
    EXPECT_LT(table.bytes(), std::size_t(24) << 20);
}

TEST(StartupTable, WrappedSquare) {
    EXPECT_EQ(wrappedSquare(46341), -2147479015);
    EXPECT_EQ(wrappedSquare(-3), 9);
    EXPECT_EQ(wrappedSquare(65536), 0);
}
