// The show's executable in creator mode: it plays from the content folder,
// names a mistake saved while it runs, and still ends cleanly.
#include "content/zip_archive.h"
#include "support/show_process.h"
#include "support/test_mp3.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The show's pack with a short tone for its soundtrack, in a fresh folder.
std::string folderWithPack() {
  const std::string folder = testing_support::makeTempFolder();
  if (folder.empty()) return folder;
  testing_support::toneSpec tone;
  tone.seconds = 30.0;
  tone.sampleRate = 22050;
  tone.channels = 1;
  std::vector<testing_support::zipEntry> pack;
  for (const content::archiveEntry& entry : content::readArchive(AMBER_PACK_PATH)) {
    if (entry.name.rfind("sfx/", 0) != 0) pack.push_back({entry.name, entry.bytes, true});
  }
  pack.push_back({"sfx/MarbleHollow_Rhythm.mp3", testing_support::encodeToneMp3(tone), true});
  return testing_support::writeZip(folder + "/pack.zip", pack) ? folder : "";
}

TEST(ShowEdit, NamesAScriptMistakeSavedWhileItPlaysAndEndsCleanly) {
  const std::string folder = folderWithPack();
  ASSERT_FALSE(folder.empty());
  const std::string content = folder + "/content";
  fs::create_directories(content + "/sync");
  fs::create_directories(content + "/fx");
  const std::string script = content + "/sync/show.sync";
  fs::copy_file(std::string(AMBER_CONTENT_FOLDER) + "/sync/show.sync", script);
  int lines = 0;
  {
    std::ifstream in(script);
    for (std::string line; std::getline(in, line);) ++lines;
  }

  testing_support::showOptions options;
  options.arguments = {"--edit", content, "--no-dialog"};
  options.actAfter = 1s;
  options.action = [&] {
    std::ofstream(script, std::ios::app) << "    90:0:0  1  wobble\n";
  };
  const testing_support::showOutcome outcome = testing_support::runShowIn(folder, 12s, options);
  EXPECT_TRUE(outcome.askedToStop) << "creator mode stays on until asked to stop";
  EXPECT_EQ(testing_support::badEnding(outcome), "") << outcome.errors;
  const std::string mistake =
      "creator: " + script + ":" + std::to_string(lines + 1) + ": unknown interpolation \"wobble\"";
  EXPECT_NE(outcome.errors.find(mistake), std::string::npos) << outcome.errors;
}

}  // namespace
