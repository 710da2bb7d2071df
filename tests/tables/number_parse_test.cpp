#include "number_parse.h"

#include <gtest/gtest.h>

TEST(NumberParse, Placeholder) { EXPECT_EQ(ParseGridNumber("12"), 12); }
