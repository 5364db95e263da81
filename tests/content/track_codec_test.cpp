#include "content/content_error.h"
#include "content/track_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using content::trackKey;

TEST(TrackCodec, WritesCountThenNineByteLittleEndianKeys) {
  // Two keys: (row 0, 0.0, linear) and (row 16, 2.0, step): 22 bytes.
  const std::string bytes = content::encodeTrack({trackKey{0, 0.0f, 1}, trackKey{16, 2.0f, 0}});
  const std::string expected("\x02\x00\x00\x00"
                             "\x00\x00\x00\x00" "\x00\x00\x00\x00" "\x01"
                             "\x10\x00\x00\x00" "\x00\x00\x00\x40" "\x00",
                             22);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(content::encodeTrack({}), std::string("\0\0\0\0", 4));
  const std::string negative = content::encodeTrack({trackKey{-2, -1.5f, 3}});
  EXPECT_EQ(negative, std::string("\x01\x00\x00\x00\xFE\xFF\xFF\xFF\x00\x00\xC0\xBF\x03", 13));
}

TEST(TrackCodec, ReadsBackAndRefusesShortFiles) {
  const std::vector<trackKey> keys{{1, 0.25f, 2}, {257, -7.0f, 3}, {1000, 1e-20f, 0}};
  size_t trailing = 99;
  EXPECT_EQ(content::decodeTrack(content::encodeTrack(keys), "t", &trailing), keys);
  EXPECT_EQ(trailing, 0u);
  EXPECT_EQ(content::decodeTrack(content::encodeTrack(keys) + "xy", "t", &trailing), keys);
  EXPECT_EQ(trailing, 2u);
  // A type byte of 0xFF is the code -1, as the engine sign-extends it.
  EXPECT_EQ(content::decodeTrack(std::string("\x01\0\0\0\0\0\0\0\0\0\0\0\xFF", 13), "t")[0].type, -1);

  EXPECT_THROW(content::decodeTrack("abc", "t"), content::contentError);
  EXPECT_THROW(content::decodeTrack(content::encodeTrack(keys).substr(0, 30), "t"), content::contentError);
  EXPECT_THROW(content::decodeTrack(std::string("\xFF\xFF\xFF\xFF", 4), "t"), content::contentError);
}

TEST(TrackCodec, NamesAndEntries) {
  EXPECT_EQ(content::trackEntryName("tent.fade"), "script/sync_tent.fade.track");
  EXPECT_EQ(content::interpolationFromName("smooth"), 2);
  EXPECT_EQ(content::interpolationFromName("Smooth"), -1);
  EXPECT_STREQ(content::interpolationName(3), "ramp");
  EXPECT_EQ(content::interpolationName(4), nullptr);
  EXPECT_EQ(content::trackNameProblem("cam0.e.x"), "");
  // "script/sync_" + name + ".track" must stay below the 256 characters the
  // package lookup matches.
  EXPECT_EQ(content::trackNameProblem(std::string(237, 'a')), "");
  EXPECT_NE(content::trackNameProblem(std::string(238, 'a')), "");
  EXPECT_NE(content::trackNameProblem("a b"), "");
  EXPECT_NE(content::trackNameProblem(""), "");
}

}  // namespace
