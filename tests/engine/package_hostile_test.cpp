// Archives whose directory lies about sizes: the package must refuse the
// entry before allocating what the lie asks for.
#include "engine/package.h"

#include "engine/errors.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using testing_support::readWholeFile;
using testing_support::usePackage;
using testing_support::writeWholeFile;

void putLittleEndian32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

class PackageHostile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::makeTempFolder();
    ASSERT_FALSE(folder_.empty());
    path_ = folder_ + "/pack.zip";
  }
  void TearDown() override { testing_support::dropPackage(); }

  // The code reading `name` throws (0 when it reads), with the buffer's
  // capacity afterwards.
  int readCode(const char* name, uint32_t* capacity) {
    fileBuffer buffer;
    int code = 0;
    try {
      readFile(name, buffer);
    } catch (int thrown) {
      code = thrown;
    }
    *capacity = buffer.capacity;
    return code;
  }

  std::string folder_;
  std::string path_;
};

// Found by fuzzing: a deflated entry whose directory record claims 4 GiB of
// compressed data (in an archive of a few hundred bytes) passed the ratio
// check, and the reader allocated the whole claimed size before failing.
TEST_F(PackageHostile, ACompressedSizeBeyondTheArchiveIsRefusedBeforeAllocating) {
  ASSERT_TRUE(testing_support::writeZip(path_, {{"victim", std::string(3000, 'v')}}));
  const std::string pristine = readWholeFile(path_);
  const size_t central = pristine.find(std::string("PK\x01\x02", 4));
  ASSERT_NE(central, std::string::npos);
  std::string lying = pristine;
  putLittleEndian32(lying, central + 20, 0xFFFFFFF0u);  // compressed size
  putLittleEndian32(lying, central + 24, 0xF0000000u);  // uncompressed size
  writeWholeFile(path_, lying);
  usePackage(path_);
  uint32_t capacity = 1;
  EXPECT_EQ(readCode("victim", &capacity), errorCode::packageEntryMissing);
  EXPECT_EQ(capacity, 0u);

  // The honest archive still reads.
  writeWholeFile(path_, pristine);
  usePackage(path_);
  EXPECT_EQ(readCode("victim", &capacity), 0);
  EXPECT_EQ(capacity, 3075u);
}

TEST_F(PackageHostile, AnUnreadableDirectoryRecordHidesOnlyWhatFollowsIt) {
  ASSERT_TRUE(testing_support::writeZip(
      path_, {{"first", "one"}, {"second", "two"}, {"third", "three"}}));
  std::string bytes = readWholeFile(path_);
  // The second record's extra-field length now runs past the end of the
  // archive: the walk stops there, and what came before stays readable.
  const size_t first = bytes.find(std::string("PK\x01\x02", 4));
  const size_t second = bytes.find(std::string("PK\x01\x02", 4), first + 4);
  ASSERT_NE(second, std::string::npos);
  bytes[second + 30] = '\xFF';
  bytes[second + 31] = '\xFF';
  writeWholeFile(path_, bytes);
  usePackage(path_);
  uint32_t capacity = 0;
  EXPECT_EQ(readCode("first", &capacity), 0);
  EXPECT_EQ(readCode("third", &capacity), errorCode::packageEntryMissing);
}

}  // namespace
