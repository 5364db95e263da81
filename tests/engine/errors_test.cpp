#include "engine/errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

TEST(ErrorTable, HoldsTheTwentyTwoCodesInLookupOrder) {
  const int32_t expected[] = {0,     1,     2,     3,     4,      257,    258,    2305,
                              2306,  2561,  2562,  2563,  2564,   2817,   2818,   2945,
                              4113,  4114,  4115,  4129,  65534,  65535};
  ASSERT_EQ(sizeof errorTable / sizeof errorTable[0], 22u);
  for (size_t i = 0; i < 22; ++i) EXPECT_EQ(errorTable[i].code, expected[i]) << "entry " << i;
}

TEST(ErrorTable, LooksUpKnownCodes) {
  EXPECT_STREQ(errorMessage(0), "No error");
  EXPECT_STREQ(errorMessage(3), "Invalid array index. Maybe the index is out of range.");
  EXPECT_STREQ(errorMessage(0x101), "PACKAGE: Invalid/broken package file");
  EXPECT_STREQ(errorMessage(0x102), "PACKAGE: File not found inside the package file");
  EXPECT_STREQ(errorMessage(0xB81), "IMAGE: Failed to load image (file not found or damaged)");
  EXPECT_STREQ(errorMessage(0x1021),
               "ENGINE: Couldn't access to package file, or no package file selected.");
}

TEST(ErrorTable, UnknownCodesGetTheUnknownErrorText) {
  const char* unknown = "CORE: Unknown/undefined error or unimplemeted fuction";
  EXPECT_STREQ(errorMessage(0x10000), unknown);
  EXPECT_STREQ(errorMessage(0x1A0001), unknown);
  EXPECT_STREQ(errorMessage(-1), unknown);
  EXPECT_STREQ(errorMessage(0xFFFF), unknown);
}

TEST(HaltMessage, ShowsTheVersionAndTheCodeInHex) {
  char text[1024];
  formatHaltMessage(0x102, text, sizeof text);
  EXPECT_STREQ(text,
               "Engine halt requested due to fatal error.\n"
               "Framework v0.3.0.4 released with error code 0x102.");
  formatHaltMessage(0x1A0001, text, sizeof text);
  EXPECT_NE(std::strstr(text, "error code 0x1a0001."), nullptr) << text;
}

TEST(ExitStatus, KeepsTheLowByteButNeverTurnsAnErrorIntoSuccess) {
  EXPECT_EQ(exitStatusFor(0), 0);
  EXPECT_EQ(exitStatusFor(258), 2);
  EXPECT_EQ(exitStatusFor(257), 1);
  EXPECT_EQ(exitStatusFor(0x1A0001), 1);
  EXPECT_EQ(exitStatusFor(0x100), 255);
  EXPECT_EQ(exitStatusFor(0x1A0000), 255);
  EXPECT_NE(exitStatusFor(-256), 0);
}

using HaltDeathTest = ::testing::Test;

TEST_F(HaltDeathTest, HaltZeroExitsQuietlyWithSuccess) {
  EXPECT_EXIT(halt(0), ::testing::ExitedWithCode(0), "^$");
}

TEST_F(HaltDeathTest, HaltShowsTheHaltMessageAndExitsWithTheCode) {
  EXPECT_EXIT(halt(0x1A0001), ::testing::ExitedWithCode(1),
              "Engine halted: Engine halt requested due to fatal error.\n"
              "Framework v0.3.0.4 released with error code 0x1a0001.");
}

TEST_F(HaltDeathTest, GuardShowsTheCodeMessageThenTheHaltMessage) {
  EXPECT_EXIT(guarded([] { throw 258; }), ::testing::ExitedWithCode(2),
              "Engine halted: PACKAGE: File not found inside the package file\n"
              "Engine halted: Engine halt requested due to fatal error.\n"
              "Framework v0.3.0.4 released with error code 0x102.");
}

TEST_F(HaltDeathTest, GuardRunsTheTeardownBeforeExiting) {
  EXPECT_EXIT(
      {
        haltTeardown = [] { fputs("teardown ran\n", stderr); };
        guarded([] { throw 0x100; });
      },
      ::testing::ExitedWithCode(255), "error code 0x100\\.\nteardown ran");
}

TEST(ErrorGuard, LetsOtherExceptionsAndNormalReturnsThrough) {
  int calls = 0;
  guarded([&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(guarded([] { throw std::runtime_error("not an error code"); }), std::runtime_error);
}

}  // namespace
