#include "engine/errors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <utility>
#include <vector>
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

// The statuses README documents, one per code a halt can carry.
TEST(ExitStatus, EachCodeHasItsDocumentedStatusWithinOneTo125) {
  const std::pair<int32_t, int> documented[] = {
      {0x1, 10},    {0x2, 11},    {0x3, 12},    {0x4, 13},      {0x101, 20},  {0x102, 21},
      {0x901, 30},  {0x902, 31},  {0xA01, 40},  {0xA02, 41},    {0xA03, 42},  {0xA04, 43},
      {0xB01, 50},  {0xB02, 51},  {0xB81, 60},  {0x1011, 70},   {0x1012, 71}, {0x1013, 72},
      {0x1021, 80}, {0xFFFE, 90}, {0xFFFF, 91}, {0x1A0001, 100}, {1001, 101}};
  EXPECT_EQ(exitStatusFor(0), 0);
  for (const auto& [code, status] : documented) {
    EXPECT_EQ(exitStatusFor(code), status) << std::hex << code;
  }
  // Every code of the message table but "No error" has a status of its own.
  for (const errorEntry& entry : errorTable) {
    if (entry.code == 0) continue;
    EXPECT_NE(exitStatusFor(entry.code), unknownCodeStatus) << std::hex << entry.code;
  }
  for (const exitStatusEntry& entry : exitStatusTable) {
    EXPECT_GE(entry.status, 10);
    EXPECT_LE(entry.status, 125);
    EXPECT_NE(entry.status, unknownCodeStatus);
  }
}

TEST(ExitStatus, UnknownCodesShareOneStatusThatIsNeitherSuccessNorASignal) {
  for (int32_t code : {0x100, 0x1A0000, 0x1A0002, 0x10000, -256, -1, 2945 + 256}) {
    EXPECT_EQ(exitStatusFor(code), unknownCodeStatus) << code;
  }
  EXPECT_GT(unknownCodeStatus, 0);
  EXPECT_LE(unknownCodeStatus, 125);
}

using HaltDeathTest = ::testing::Test;

TEST_F(HaltDeathTest, HaltZeroExitsQuietlyWithSuccess) {
  EXPECT_EXIT(halt(0), ::testing::ExitedWithCode(0), "^$");
}

TEST_F(HaltDeathTest, HaltShowsTheHaltMessageAndExitsWithTheCode) {
  EXPECT_EXIT(halt(0x1A0001), ::testing::ExitedWithCode(100),
              "Engine halted: Engine halt requested due to fatal error.\n"
              "Framework v0.3.0.4 released with error code 0x1a0001.");
}

TEST_F(HaltDeathTest, GuardShowsTheCodeMessageThenTheHaltMessage) {
  EXPECT_EXIT(guarded([] { throw 258; }), ::testing::ExitedWithCode(21),
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
      ::testing::ExitedWithCode(unknownCodeStatus), "error code 0x100\\.\nteardown ran");
}

TEST_F(HaltDeathTest, GuardHaltsOnLackOfMemoryWithCode2) {
  EXPECT_EXIT(guarded([] { throw std::bad_alloc(); }), ::testing::ExitedWithCode(11),
              "ENGINE: std::bad_alloc\n"
              "Engine halted: Could not allocate enough memory\n"
              "Engine halted: Engine halt requested due to fatal error.\n"
              "Framework v0.3.0.4 released with error code 0x2.");
}

TEST_F(HaltDeathTest, GuardHaltsOnOtherStandardExceptionsWithCode3AndTheirText) {
  EXPECT_EXIT(guarded([] { static_cast<void>(std::vector<int>().at(4)); }),
              ::testing::ExitedWithCode(12),
              "ENGINE: vector::_M_range_check.*\n"
              "Engine halted: Invalid array index. Maybe the index is out of range.\n"
              "Engine halted: Engine halt requested due to fatal error.\n"
              "Framework v0.3.0.4 released with error code 0x3.");
}

TEST(ErrorGuard, LetsOtherExceptionsAndNormalReturnsThrough) {
  int calls = 0;
  guarded([&] { ++calls; });
  EXPECT_EQ(calls, 1);
  EXPECT_THROW(guarded([] { throw "not a standard exception"; }), const char*);
}

}  // namespace
