#include "addin/patch_mail.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "addin/item_send_fixture.h"

namespace vellumo::addin {
namespace {

using ::testing::IsEmpty;

constexpr std::string_view kGitPatch =
    "Signed-off-by: Ann <ann@example.com>\r\n---\r\n lamp.c | 2 +-\r\n 1 file changed\r\n\r\n"
    "diff --git a/lamp.c b/lamp.c\r\nindex 1..2 100644\r\n--- a/lamp.c\r\n+++ b/lamp.c\r\n"
    "@@ -1 +1 @@\r\n-----Original Message-----\r\n+int lit = 1;\r\n-- \r\n2.39.2\r\n";
constexpr std::string_view kPlainDiff =
    "Here is the fix:\n\n--- lamp.c.orig\n+++ lamp.c\n@@ -3,2 +3,2 @@\n-old\n+new\n";

TEST(PatchReason, PatchesAreKnownByTheirDiffOrTheirMailer) {
  EXPECT_EQ(PatchReason(kGitPatch, "", ""), "the text holds a unified diff");
  EXPECT_EQ(PatchReason(kPlainDiff, "", ""), "the text holds a unified diff");
  // A cover letter holds no diff; git send-email says who sent it.
  EXPECT_EQ(PatchReason("[PATCH 0/3] lamps\r\n", "",
                        "From: ann@example.com\r\nx-mailer:  git-send-email 2.39.2\r\n"),
            "sent by git send-email");
}

TEST(PatchReason, MessagesThatMerelyLookLikeOneAreNot) {
  // A reply's separator, a signature dash line, dashes and pluses without a hunk.
  EXPECT_EQ(PatchReason("Fine.\r\n-----Original Message-----\r\n--- quoted\r\n+++ more\r\n", "",
                        "X-Mailer: Lanterns Mail 2\r\n"),
            "");
  EXPECT_EQ(PatchReason("--- a\n+++ b\nno hunk here\n@@ late\n", "", ""), "");
  // Dressed or written in HTML: it is a message, whatever its text says.
  EXPECT_EQ(PatchReason(kPlainDiff, "<p>diff</p>", ""), "");
}

using testing::SendTest;

TEST_F(SendTest, APatchIsSentUntouchedAndTheTraceSaysWhy) {
  System("SystemCheck", "True");
  auto item = PlainMail(kGitPatch);
  EXPECT_FALSE(Raise(item));
  EXPECT_FALSE(Dressed(*item));
  EXPECT_EQ(item->HTMLBody(), "");
  EXPECT_EQ(item->Body(), kGitPatch);
  EXPECT_THAT(Traces(), ::testing::Contains("Patch sent untouched: the text holds a unified diff"));
  EXPECT_THAT(Logged("error"), IsEmpty());
}

TEST_F(SendTest, DressPatchesTrueDressesThemLikeAnyMessage) {
  Admin("DressPatches", "True");
  auto item = PlainMail(kPlainDiff);
  EXPECT_FALSE(Raise(item));
  EXPECT_TRUE(Dressed(*item));
  EXPECT_NE(item->HTMLBody(), "");
}

}  // namespace
}  // namespace vellumo::addin
