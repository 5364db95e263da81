// The show run headless over broken packages: cut short, with corrupt
// entries, with any one entry replaced by garbage or cut short. However it
// is broken, the show ends with one of the system's error messages and a
// non-zero status, or (when what broke is not read) runs normally; never by
// a signal, a hang or, in sanitizer builds, a sanitizer report.
//
// Each case loops over the entries of the show's own pack (with a half-second
// soundtrack, so an intact run ends quickly). Every model and picture is
// damaged; of the many tracks and shaders (in name order, shaders first),
// every tenth is, which keeps CI fast: each run starts the whole show. Set
// AMBER_BROKEN_PACKAGE=/path/to/pack.zip to damage every entry of that
// package instead (each run is then given 20 s).
#include "support/show_process.h"
#include "support/test_mp3.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <unzip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

// Every entry of the archive at `path`, with its bytes (read whole).
std::vector<zipEntry> entriesOf(const std::string& path) {
  std::vector<zipEntry> entries;
  unzFile archive = unzOpen64(path.c_str());
  if (archive == nullptr) return entries;
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
       status = unzGoToNextFile(archive)) {
    char name[512];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        unzOpenCurrentFile(archive) != UNZ_OK) {
      continue;
    }
    std::string bytes(static_cast<size_t>(info.uncompressed_size), '\0');
    const int got = bytes.empty() ? 0
                                  : unzReadCurrentFile(archive, &bytes[0],
                                                       static_cast<unsigned>(bytes.size()));
    unzCloseCurrentFile(archive);
    if (got == static_cast<int>(bytes.size())) {
      entries.push_back({name, bytes, info.compression_method == 0});
    }
  }
  unzClose(archive);
  return entries;
}

// The show's pack with a half-second soundtrack in place of the song.
std::vector<zipEntry> showPackWithShortSong() {
  toneSpec tone;
  tone.seconds = 0.5;
  tone.sampleRate = 22050;
  tone.channels = 1;
  std::vector<zipEntry> entries;
  for (zipEntry& entry : entriesOf(AMBER_PACK_PATH)) {
    if (entry.name.rfind("sfx/", 0) != 0) entries.push_back(std::move(entry));
  }
  entries.push_back({"sfx/MarbleHollow_Rhythm.mp3", encodeToneMp3(tone), true});
  return entries;
}

// Of the tracks and shaders, this one in so many is damaged (unless every
// entry is asked for).
constexpr int trackAndShaderStride = 10;

class BrokenPackage : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* given = std::getenv("AMBER_BROKEN_PACKAGE");
    if (given != nullptr && *given != '\0') {
      entries_ = entriesOf(given);
      ASSERT_FALSE(entries_.empty()) << given << " is not a readable package";
      limit_ = std::chrono::seconds(20);
      everyEntry_ = true;
    } else {
      entries_ = showPackWithShortSong();
      ASSERT_GT(entries_.size(), 1u) << AMBER_PACK_PATH << " is not a readable package";
      ASSERT_FALSE(entries_.back().bytes.empty()) << "the soundtrack could not be encoded";
    }
  }

  // Runs the show over `archive` (the bytes of a pack.zip) and checks how it
  // ended; `what` names the damage in failure messages. True when it halted.
  bool runOver(const std::string& archive, const std::string& what) {
    const std::string folder = makeTempFolder();
    writeWholeFile(folder + "/pack.zip", archive);
    const showOutcome outcome = runShowIn(folder, limit_);
    EXPECT_EQ(badEnding(outcome), "") << what << ", after " << outcome.seconds << " s:\n"
                                      << outcome.errors;
    std::remove((folder + "/pack.zip").c_str());
    std::remove((folder + "/stderr.txt").c_str());
    rmdir(folder.c_str());
    return outcome.status != 0;
  }

  std::string archiveOf(const std::vector<zipEntry>& entries) {
    const std::string folder = makeTempFolder();
    const std::string path = folder + "/pack.zip";
    EXPECT_TRUE(writeZip(path, entries));
    std::string bytes = readWholeFile(path);
    std::remove(path.c_str());
    rmdir(folder.c_str());
    return bytes;
  }

  // Runs the show once per entry, with that entry changed by `damage`
  // (entries it leaves alone are skipped). Returns how many runs halted.
  int eachEntryDamaged(const std::string& kind,
                       const std::function<bool(zipEntry&)>& damage) {
    int halted = 0;
    int tracksAndShaders = 0;
    for (size_t n = 0; n < entries_.size(); ++n) {
      std::vector<zipEntry> broken = entries_;
      if (!damage(broken[n])) continue;
      if (!everyEntry_ && !isModelOrPicture(entries_[n]) &&
          tracksAndShaders++ % trackAndShaderStride != 0) {
        continue;
      }
      halted += runOver(archiveOf(broken), kind + " " + entries_[n].name) ? 1 : 0;
    }
    return halted;
  }

  bool isTrack(const zipEntry& entry) const { return entry.name.rfind("script/", 0) == 0; }
  bool isModelOrPicture(const zipEntry& entry) const {
    return entry.name.rfind("models/", 0) == 0 || entry.name.rfind("textures/", 0) == 0;
  }

  std::vector<zipEntry> entries_;
  std::chrono::milliseconds limit_ = std::chrono::seconds(10);
  bool everyEntry_ = false;
};

// Pseudo-random bytes (the same for every run).
std::string garbage(size_t length, uint32_t seed) {
  std::string bytes(length, '\0');
  for (char& byte : bytes) {
    seed = seed * 214013u + 2531011u;
    byte = static_cast<char>(seed >> 16);
  }
  return bytes;
}

TEST_F(BrokenPackage, TheIntactPackageRunsToTheEndOfItsSong) {
  EXPECT_FALSE(runOver(archiveOf(entries_), "the intact package"));
}

TEST_F(BrokenPackage, AnArchiveCutShortAnywhereHalts) {
  const std::string whole = archiveOf(entries_);
  // The directory sits at the end, so every cut loses it: each is refused
  // when the package is opened. (Losing only the last byte, the high byte of
  // an empty comment's length, loses nothing; such an archive reads.)
  for (size_t cut : {size_t{0}, size_t{21}, whole.size() / 10, whole.size() / 2,
                     whole.size() * 9 / 10, whole.size() - 22, whole.size() - 12}) {
    EXPECT_TRUE(runOver(whole.substr(0, cut), "cut at " + std::to_string(cut)))
        << "cut at " << cut;
  }
}

TEST_F(BrokenPackage, ACorruptEntryInTheArchiveHalts) {
  // Stored entries keep their bytes as they are in the archive; changing
  // one of them breaks that entry's checksum.
  int runs = 0;
  for (size_t n = 0; n < entries_.size(); ++n) {
    if (!(isTrack(entries_[n]) || entries_[n].name.rfind("sfx/", 0) == 0)) continue;
    if (entries_[n].bytes.size() < 8 || runs == 3) continue;
    std::vector<zipEntry> stored = entries_;
    for (zipEntry& entry : stored) entry.stored = true;
    std::string archive = archiveOf(stored);
    const size_t at = archive.find(entries_[n].bytes);
    ASSERT_NE(at, std::string::npos);
    archive[at + entries_[n].bytes.size() / 2] ^= 0x5A;
    EXPECT_TRUE(runOver(archive, "corrupt " + entries_[n].name)) << entries_[n].name;
    ++runs;
  }
  EXPECT_GT(runs, 0);
}

TEST_F(BrokenPackage, AnyTrackFileCutShortHalts) {
  const int halted = eachEntryDamaged("cut short", [&](zipEntry& entry) {
    if (!isTrack(entry) || entry.bytes.size() < 2) return false;
    entry.bytes.resize(entry.bytes.size() - 1 - entry.bytes.size() / 3);
    return true;
  });
  EXPECT_GE(halted, 3);
}

TEST_F(BrokenPackage, AnyModelOrPictureReplacedByGarbageNeverCrashes) {
  eachEntryDamaged("garbage in", [&](zipEntry& entry) {
    if (!isModelOrPicture(entry)) return false;
    entry.bytes = garbage(std::max<size_t>(entry.bytes.size(), 64), 7);
    return true;
  });
}

TEST_F(BrokenPackage, AnyModelOrPictureCutShortNeverCrashes) {
  eachEntryDamaged("cut short", [&](zipEntry& entry) {
    if (!isModelOrPicture(entry) || entry.bytes.size() < 2) return false;
    entry.bytes.resize(entry.bytes.size() / 2);
    return true;
  });
}

TEST_F(BrokenPackage, AnyOtherEntryReplacedByGarbageNeverCrashes) {
  eachEntryDamaged("garbage in", [&](zipEntry& entry) {
    if (isModelOrPicture(entry)) return false;
    // Track files are replaced by garbage that states a key count.
    entry.bytes = garbage(std::max<size_t>(entry.bytes.size(), 64), 11);
    return true;
  });
}

}  // namespace
