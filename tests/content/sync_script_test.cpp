#include "content/content_error.h"
#include "content/sync_script.h"
#include "content/track_codec.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using content::contentError;
using content::parseSyncScript;
using content::trackKey;

// The message of the contentError that parsing `text` throws; empty if none.
std::string parseError(const std::string& text) {
  try {
    parseSyncScript(text, "show.sync");
  } catch (const contentError& error) {
    return error.what();
  }
  return "";
}

TEST(SyncScript, BarBeatRowCountsFromTheFirstSampleRow) {
  EXPECT_EQ(content::rowOfBarBeatRow(0, 0, 0), 1);
  EXPECT_EQ(content::rowOfBarBeatRow(8, 0, 0), 257);
  EXPECT_EQ(content::rowOfBarBeatRow(23, 3, 7), 768);
  EXPECT_EQ(content::formatRow(257), "8:0:0");
  EXPECT_EQ(content::formatRow(768), "23:3:7");
  EXPECT_EQ(content::formatRow(0), "0");
  EXPECT_EQ(content::formatRow(-5), "-5");

  const auto script = parseSyncScript(
      "track a.b\n  0:0:0 1 step\n  8:0:0 2 linear\n  23:3:7 3 smooth\n  800 4 ramp\n", "s.sync");
  ASSERT_EQ(script.tracks.size(), 1u);
  const auto& keys = script.tracks[0].keys;
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[0].row, 1);
  EXPECT_EQ(keys[1].row, 257);
  EXPECT_EQ(keys[2].row, 768);
  EXPECT_EQ(keys[3].row, 800);
  EXPECT_EQ(keys[0].type, content::interpolation::step);
  EXPECT_EQ(keys[1].type, content::interpolation::linear);
  EXPECT_EQ(keys[2].type, content::interpolation::smooth);
  EXPECT_EQ(keys[3].type, content::interpolation::ramp);
  EXPECT_FLOAT_EQ(keys[2].value, 3.0f);
}

TEST(SyncScript, CommentsBlankLinesAndRepeats) {
  const auto script = parseSyncScript(
      "# heading\n\ntrack pulse   # trailing comment\n"
      "    -3 0 step\n"
      "    repeat 3 every 0:1:0\n"
      "        1:0:0 1 linear   # kick\n"
      "        1:0:6 0.25 step\n"
      "    end\n"
      "    2:0:0 -0.5 step\n"
      "track empty\n",
      "s.sync");
  ASSERT_EQ(script.tracks.size(), 2u);
  EXPECT_EQ(script.tracks[0].name, "pulse");
  const auto& keys = script.tracks[0].keys;
  ASSERT_EQ(keys.size(), 8u);
  const int rows[] = {-3, 33, 39, 41, 47, 49, 55, 65};
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i].row, rows[i]) << i;
  EXPECT_FLOAT_EQ(keys[6].value, 0.25f);
  EXPECT_FLOAT_EQ(keys[7].value, -0.5f);
  EXPECT_TRUE(script.tracks[1].keys.empty());
}

TEST(SyncScript, RoundTripTextTrackText) {
  // Canonical text: parse, compile to track bytes, read back, format again.
  const std::string text = content::formatSyncScript(
      parseSyncScript("track cam0.e.x\n  -2 0.1 linear\n  0 3.14159274 smooth\n  0:0:0 1e-07 ramp\n"
                      "  75:3:7 -2.3164 step\n  100000 16777216 step\n"
                      "track kocka.sor\n  0:1:2 7 step\n",
                      "s.sync")
          .tracks);
  std::vector<content::namedTrack> decoded;
  for (const auto& track : parseSyncScript(text, "canonical.sync").tracks) {
    const std::string bytes = content::encodeTrack(track.keys);
    decoded.push_back({track.name, content::decodeTrack(bytes, track.name)});
    EXPECT_EQ(decoded.back().keys, track.keys);
  }
  EXPECT_EQ(content::formatSyncScript(decoded), text);
  EXPECT_NE(text.find("75:3:7"), std::string::npos);
  EXPECT_NE(text.find("-2.3164"), std::string::npos);
  EXPECT_NE(text.find("3.1415927"), std::string::npos);
}

TEST(SyncScript, ValuesPrintInTheirShortestExactForm) {
  for (float value : {0.7f, 0.1f, -2.3164f, 1.0f / 3.0f, 1e-30f, 3.4e38f, 0.0f, -0.0f, 100.0f}) {
    const std::string text = content::formatValue(value);
    const auto keys = parseSyncScript("track t\n 0 " + text + " step\n", "s").tracks[0].keys;
    EXPECT_EQ(keys[0], (trackKey{0, value, 0})) << text;
  }
  EXPECT_EQ(content::formatValue(0.7f), "0.7");
  EXPECT_EQ(content::formatValue(360.0f), "360");
}

TEST(SyncScript, MistakesNameFileAndLine) {
  EXPECT_EQ(parseError("track a\n  0:0:0 1\n"), "show.sync:2: expected \"ROW VALUE INTERPOLATION\", found 2 words");
  EXPECT_EQ(parseError("track a\n  0 1 cubic\n"),
            "show.sync:2: unknown interpolation \"cubic\" (use step, linear, smooth or ramp)");
  EXPECT_NE(parseError("\n\ntrack a\n  8:0:0 1 step\n  4:0:0 2 step\n").find("show.sync:5: key at row 4:0:0"),
            std::string::npos);
  EXPECT_NE(parseError("track a\n 5 1 step\n 5 2 step\n").find("show.sync:3:"), std::string::npos);
  EXPECT_EQ(parseError("0 1 step\n"), "show.sync:1: key outside a track block; start one with \"track NAME\"");
  EXPECT_NE(parseError("track a\n 0 1 step\ntrack a\n").find("show.sync:3: track a is already defined on line 1"),
            std::string::npos);
  EXPECT_NE(parseError("track a\n 0 x step\n").find("show.sync:2: bad value \"x\""), std::string::npos);
  EXPECT_NE(parseError("track a\n 0 inf step\n").find("show.sync:2:"), std::string::npos);
  EXPECT_NE(parseError("track a\n 0:4:0 1 step\n").find("show.sync:2: beat"), std::string::npos);
  EXPECT_NE(parseError("track a\n 0:0:8 1 step\n").find("show.sync:2: row"), std::string::npos);
  EXPECT_NE(parseError("track a\n 0:0 1 step\n").find("show.sync:2: bad row"), std::string::npos);
  EXPECT_NE(parseError("track a b\n").find("show.sync:1:"), std::string::npos);
  EXPECT_NE(parseError("track a/b\n").find("show.sync:1: track name"), std::string::npos);
  EXPECT_NE(parseError("track " + std::string(250, 'x') + "\n").find("too long"), std::string::npos);
  EXPECT_EQ(parseError("track a\n end\n"), "show.sync:2: \"end\" without a \"repeat\"");
  EXPECT_EQ(parseError("track a\n repeat 2 every 8\n 0 1 step\n"), "show.sync:2: \"repeat\" without its \"end\"");
  EXPECT_EQ(parseError("track a\n repeat 2 every 8\n 0 1 step\ntrack b\n"),
            "show.sync:2: \"repeat\" without its \"end\"");
  EXPECT_NE(parseError("track a\n repeat 0 every 8\n end\n").find("show.sync:2:"), std::string::npos);
  // A repeat whose keys span more than its length runs into itself.
  EXPECT_NE(parseError("track a\n repeat 2 every 4\n  0 1 step\n  6 0 step\n end\n").find("show.sync:3: key at row"),
            std::string::npos);
  EXPECT_NE(parseError("track a\n 2147483647 1 step\n 2147483648 1 step\n").find("show.sync:3:"),
            std::string::npos);
}

}  // namespace
