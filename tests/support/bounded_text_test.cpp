#include "support/bounded_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(BoundedText, CutsToCapacityAndAlwaysTerminates) {
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_FALSE(CopyText(buffer, "0123456789"));
  EXPECT_STREQ(buffer, "0123456");
  EXPECT_TRUE(CopyText(buffer, "abc"));
  EXPECT_TRUE(AppendText(buffer, "def"));
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_FALSE(AppendText(buffer, "gh"));
  EXPECT_STREQ(buffer, "abcdefg");
  char unterminated[4] = {'a', 'b', 'c', 'd'};  // nothing can be appended after an unknown end
  EXPECT_FALSE(AppendText(unterminated, "e"));
  EXPECT_EQ(std::string(unterminated, sizeof unterminated), "abcd");

  // Registry data need not end in a terminator.
  char full[4] = {'a', 'b', 'c', 'd'};
  TerminateText(full, sizeof full, 4);
  EXPECT_STREQ(full, "abc");
  char shorter[8] = {'a', 'b', 'x', 'x', 'x', 'x', 'x', 'x'};
  TerminateText(shorter, sizeof shorter, 2);
  EXPECT_STREQ(shorter, "ab");
  char one[1] = {'x'};  // room for the terminator alone
  TerminateText(one, sizeof one, 3);
  EXPECT_EQ(one[0], '\0');
}
