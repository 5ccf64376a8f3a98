#include "tty/tty_text.h"

#include <gtest/gtest.h>

namespace vellumo::ui {
namespace {

TEST(TtyText, WrappedBreaksAtBlanksAndCountsCharacters) {
  EXPECT_EQ(Wrapped("one two three four", 10), "one two\nthree four");
  EXPECT_EQ(Wrapped("abcdefghijklmnop", 10), "abcdefghij\nklmnop");
  EXPECT_EQ(Wrapped("a\r\n\r\nb\tc", 10), "a\n\nb    c");
  EXPECT_EQ(Wrapped("\u00e9\u00e9\u00e9\u00e9\u00e9 \u00e9\u00e9\u00e9\u00e9", 10),
            "\u00e9\u00e9\u00e9\u00e9\u00e9 \u00e9\u00e9\u00e9\u00e9");
}

TEST(TtyText, MnemonicsAndAddresses) {
  EXPECT_EQ(WithoutMnemonic("&Send && Save&"), "Send & Save&");
  EXPECT_EQ(FileAddress("/tmp/My Preview #1.html"), "file:///tmp/My%20Preview%20%231.html");
}

}  // namespace
}  // namespace vellumo::ui
