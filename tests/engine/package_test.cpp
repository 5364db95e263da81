#include "engine/package.h"

#include "engine/errors.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using testing_support::usePackage;
using testing_support::zipEntry;

int codeOf(void (*action)()) {
  try {
    action();
  } catch (int code) {
    return code;
  }
  return 0;
}

class Package : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::makeTempFolder();
    ASSERT_FALSE(folder_.empty());
  }
  void TearDown() override { testing_support::dropPackage(); }

  std::string writePack(const std::vector<zipEntry>& entries) {
    const std::string path = folder_ + "/pack.zip";
    EXPECT_TRUE(testing_support::writeZip(path, entries));
    return path;
  }
  int readCode(const char* path, fileBuffer& buffer, bool text = false) {
    try {
      if (text) {
        readTextFile(path, buffer);
      } else {
        readFile(path, buffer);
      }
    } catch (int code) {
      return code;
    }
    return 0;
  }
  std::string folder_;
};

TEST_F(Package, ANewBufferHasOneEmptyBlock) {
  fileBuffer buffer;
  EXPECT_NE(buffer.data, nullptr);
  EXPECT_EQ(buffer.length, 0u);
  EXPECT_EQ(buffer.capacity, 1024u);
  EXPECT_EQ(buffer.step, 1024u);
  EXPECT_EQ(buffer.cursor, buffer.data);
  EXPECT_EQ(buffer.end, buffer.data + 1024);
  EXPECT_THROW(buffer.at(0), int);
}

TEST_F(Package, CapacityIsTheNextMultipleOfStepPlusOne) {
  EXPECT_EQ(capacityFor(1, 1024), 1025u);
  EXPECT_EQ(capacityFor(1024, 1024), 1025u);
  EXPECT_EQ(capacityFor(1025, 1024), 2050u);
  EXPECT_EQ(capacityFor(2049, 1024), 2050u);
  EXPECT_EQ(capacityFor(2050, 1024), 3075u);
}

TEST_F(Package, ReadsEntriesWholeIgnoringLetterCaseButNotSeparators) {
  usePackage(writePack({{"models/Cube.3DS", "cube bytes"}, {"fx/a.vs", "void main(){}"}}));
  fileBuffer buffer;
  ASSERT_TRUE(readFile("MODELS/cube.3ds", buffer));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), buffer.length), "cube bytes");
  EXPECT_EQ(readCode("models\\cube.3ds", buffer), 0x102);
  EXPECT_EQ(readCode("models/cube.3d", buffer), 0x102);
  EXPECT_EQ(readCode("", buffer), 0x102);
}

TEST_F(Package, OnlyAsciiLettersFoldTheirCase) {
  usePackage(writePack({{"textures/\xc3\xa9t\xc3\xa9.png", "accented"}}));
  fileBuffer buffer;
  EXPECT_EQ(readCode("TEXTURES/\xc3\xa9T\xc3\xa9.PNG", buffer), 0);
  EXPECT_EQ(readCode("textures/\xc3\x89t\xc3\x89.png", buffer), 0x102);  // É is not é
}

TEST_F(Package, TheFirstMatchingEntryWins) {
  usePackage(writePack({{"a.txt", "first"}, {"A.TXT", "second"}}));
  fileBuffer buffer;
  readFile("a.TxT", buffer);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), buffer.length), "first");
}

TEST_F(Package, KiloByteEntryCapacities) {
  const std::string kilobyte(1024, 'k');
  usePackage(writePack({{"k.bin", kilobyte}}));
  fileBuffer buffer;
  readFile("k.bin", buffer);
  EXPECT_EQ(buffer.length, 1024u);
  EXPECT_EQ(buffer.capacity, 1025u);
  readTextFile("k.bin", buffer);
  EXPECT_EQ(buffer.length, 1025u);
  EXPECT_EQ(buffer.capacity, 2050u);
  EXPECT_EQ(buffer.data[1024], 0);
}

TEST_F(Package, TextKeepsAnEmbeddedZeroAndTerminates) {
  usePackage(writePack({{"t.txt", std::string("ab\0cd", 5)}}));
  fileBuffer buffer;
  readTextFile("t.txt", buffer);
  EXPECT_EQ(buffer.length, 6u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer.data), "ab");
  EXPECT_EQ(buffer.data[3], 'c');
  EXPECT_EQ(buffer.data[5], 0);
}

TEST_F(Package, AZeroLengthEntryCannotBeRead) {
  usePackage(writePack({{"empty", ""}}));
  fileBuffer buffer;
  EXPECT_EQ(readCode("empty", buffer), 0x102);
  EXPECT_EQ(buffer.data, nullptr);  // the old contents are gone
}

TEST_F(Package, AMissingEntryLeavesTheBufferAlone) {
  usePackage(writePack({{"x", "x"}}));
  fileBuffer buffer;
  uint8_t* before = buffer.data;
  EXPECT_EQ(readCode("y", buffer), 0x102);
  EXPECT_EQ(buffer.data, before);
  EXPECT_EQ(buffer.capacity, 1024u);
}

TEST_F(Package, ReadingTwiceGivesFreshIdenticalBuffers) {
  usePackage(writePack({{"x", "same bytes"}}));
  fileBuffer first;
  fileBuffer second;
  readFile("x", first);
  readFile("x", second);
  ASSERT_EQ(first.length, second.length);
  EXPECT_NE(first.data, second.data);
  EXPECT_EQ(std::memcmp(first.data, second.data, first.length), 0);
}

TEST_F(Package, NamesOfTwoHundredFiftySixCharactersNeverMatch) {
  const std::string longName(256, 'n');
  const std::string shorter(255, 'n');
  usePackage(writePack({{longName, "long"}, {shorter, "short"}}));
  fileBuffer buffer;
  EXPECT_EQ(readCode(longName.c_str(), buffer), 0x102);
  EXPECT_EQ(readCode(shorter.c_str(), buffer), 0);
}

TEST_F(Package, StoredAndDeflatedEntriesBothRead) {
  std::string big;
  for (int i = 0; i < 100000; ++i) big += static_cast<char>('a' + i % 7);
  usePackage(writePack({{"stored", big, true}, {"deflated", big, false}}));
  fileBuffer buffer;
  readFile("stored", buffer);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), buffer.length), big);
  readFile("deflated", buffer);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.data), buffer.length), big);
}

TEST_F(Package, MissingOrBrokenArchivesAreCode257) {
  EXPECT_EQ(codeOf([] { openPackageAt("/nonexistent/pack.zip"); }), 0x101);
  const std::string junk = folder_ + "/junk.zip";
  testing_support::writeWholeFile(junk, "this is not a zip archive at all");
  static std::string junkPath;
  junkPath = junk;
  EXPECT_EQ(codeOf([] { openPackageAt(junkPath.c_str()); }), 0x101);
}

TEST_F(Package, ReadingOrClosingWithoutAPackageFails) {
  testing_support::dropPackage();
  fileBuffer buffer;
  EXPECT_EQ(readCode("x", buffer), 0x102);
  EXPECT_EQ(codeOf([] { closePackage(nullptr); }), 0x101);
}

// Every way a stored entry's bytes can be damaged after writing: the
// checksum or the recorded sizes no longer agree with the data.
TEST_F(Package, CorruptEntriesAreCode258AndNeverOverrun) {
  const std::string content(5000, 'z');
  const std::string path = writePack({{"victim", content, true}});
  const std::string pristine = testing_support::readWholeFile(path);
  const size_t dataStart = pristine.find(content);
  ASSERT_NE(dataStart, std::string::npos);

  std::string flipped = pristine;
  flipped[dataStart + 100] = 'y';  // checksum mismatch
  testing_support::writeWholeFile(path, flipped);
  usePackage(path);
  fileBuffer buffer;
  EXPECT_EQ(readCode("victim", buffer), 0x102);

  // Sizes in the central directory claiming a longer entry than stored.
  const size_t central = pristine.find(std::string("PK\x01\x02", 4));
  ASSERT_NE(central, std::string::npos);
  for (size_t field : {size_t{20}, size_t{24}}) {
    std::string lying = pristine;
    lying[central + field + 1] = static_cast<char>(0x7F);
    testing_support::writeWholeFile(path, lying);
    usePackage(path);
    EXPECT_EQ(readCode("victim", buffer), 0x102) << "field at " << field;
  }
}

TEST_F(Package, TruncatedArchivesNeverCrash) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += static_cast<char>(i * 7919 % 251);
  const std::string path = writePack({{"a", big}, {"b", "small"}});
  const std::string pristine = testing_support::readWholeFile(path);
  for (size_t cut = 0; cut < pristine.size(); cut += 97) {
    testing_support::writeWholeFile(path, pristine.substr(0, cut));
    try {
      usePackage(path);
      fileBuffer buffer;
      readCode("a", buffer);
      readCode("b", buffer, true);
    } catch (int code) {
      EXPECT_EQ(code, 0x101);
    }
  }
}

TEST_F(Package, CloseReleasesThePackage) {
  usePackage(writePack({{"x", "x"}}));
  ASSERT_NE(package, nullptr);
  closePackage(package);
  EXPECT_EQ(package, nullptr);
}

}  // namespace
