// Inline data lists: items convert between text and number on reading,
// each list keeps its own cursor, and reading past the end ends the program
// with error 20.
#include <gtest/gtest.h>

#include <cstdio>

#include "runtime/frame/function_table.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/values/debug.h"
#include "runtime/values/errors.h"

namespace {
const DataItem kItems[] = {
    {false, 2.5, nullptr}, {true, 0, "12.75abc"}, {true, 0, "Snip"}, {false, 1e10, nullptr}, {true, 0, "x7"},
};

void report_code_on_quit() { std::fprintf(stderr, "code=%d\n", runtime_error.error_code); }
const FunctionTableEntry reporting_table[] = {{report_code_on_quit, "TVX_ON_QUIT"}, {nullptr, nullptr}};
}  // namespace

TEST(DataList, ReadsConvertItemsAndAdvance) {
  DataList list{kItems, 5, 0};
  data_restore(list);
  EXPECT_STREQ(data_read_text().c_str(), "2.5");
  EXPECT_EQ(data_read_number(), 12.75);
  EXPECT_STREQ(data_read_text().c_str(), "Snip");
  EXPECT_STREQ(data_read_text().c_str(), "1.e+010");
  EXPECT_EQ(data_read_number(), 0);  // no decimal prefix
  EXPECT_EQ(list.cursor, 5);
}

TEST(DataList, EachListKeepsItsOwnCursor) {
  DataList first{kItems, 5, 0};
  DataList second{kItems + 2, 2, 0};
  data_restore(first);
  EXPECT_EQ(data_read_number(), 2.5);
  data_restore(second);
  EXPECT_STREQ(data_read_text().c_str(), "Snip");
  data_restore(first);
  EXPECT_EQ(data_read_number(), 12.75);
}

TEST(DataListDeathTest, ReadingPastTheEndIsOutOfData) {
  connect_layers();  // fail ends through the frame, with its quit hook
  set_function_table(reporting_table);
  DataList list{kItems, 1, 0};
  EXPECT_EXIT(
      {
        data_restore(list);
        data_read_number();
        data_read_number();
      },
      ::testing::ExitedWithCode(0), "^code=20\n$");
  DataList empty{nullptr, 0, 0};
  EXPECT_EXIT(
      {
        data_restore(empty);
        data_read_text();
      },
      ::testing::ExitedWithCode(0), "^code=20\n$");
  set_function_table(nullptr);
}
