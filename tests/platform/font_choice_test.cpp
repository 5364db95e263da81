#include "api/texture/gen_text.h"
#include "platform/font_substitutes.h"
#include "platform/text_raster.h"

#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

struct style {
  bool bold, italic;
};
constexpr style styles[] = {{false, false}, {true, false}, {false, true}, {true, true}};

platform::textRequest requestFor(const platform::fontSubstitute& entry, style look) {
  platform::textRequest request;
  // The show's own text for a text face; plain letters for a symbol face,
  // which a dingbat font covers with its pictures.
  request.text = entry.symbol ? "Ok" : "Amber Pudding \x80 \xe9t\xe9";
  request.faceName = entry.faceName;
  request.cellHeight = 48;
  request.bold = look.bold;
  request.italic = look.italic;
  return request;
}

struct choiceOf {
  const platform::fontSubstitute* entry;
  platform::fontChoice font;
};

// Every face name of the table in every style, keyed "Name bold italic".
std::map<std::string, choiceOf> allChoices() {
  std::map<std::string, choiceOf> choices;
  int32_t count = 0;
  const platform::fontSubstitute* table = platform::substituteTable(&count);
  for (int32_t i = 0; i < count; ++i) {
    for (style look : styles) {
      const std::string key = std::string(table[i].faceName) + (look.bold ? " bold" : "") +
                              (look.italic ? " italic" : "");
      choices[key] = {&table[i], platform::chooseFont(requestFor(table[i], look))};
    }
  }
  return choices;
}

bool familyInstalled(const char* family) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcObjectSet* fields = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = FcFontList(nullptr, pattern, fields);
  const bool found = fonts != nullptr && fonts->nfont > 0;
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(fields);
  FcPatternDestroy(pattern);
  return found;
}

// The folders that hold the fonts of the table's families, and no others.
std::set<std::string> tableFontFolders() {
  std::set<std::string> folders;
  int32_t count = 0;
  const platform::fontSubstitute* table = platform::substituteTable(&count);
  for (int32_t i = 0; i < count; ++i) {
    for (int32_t c = 0; c < table[i].candidateCount; ++c) {
      FcPattern* pattern = FcPatternCreate();
      FcPatternAddString(pattern, FC_FAMILY,
                         reinterpret_cast<const FcChar8*>(table[i].candidates[c].family));
      FcObjectSet* fields = FcObjectSetBuild(FC_FILE, nullptr);
      FcFontSet* fonts = FcFontList(nullptr, pattern, fields);
      for (int f = 0; fonts != nullptr && f < fonts->nfont; ++f) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(fonts->fonts[f], FC_FILE, 0, &file) != FcResultMatch) continue;
        const std::string path = reinterpret_cast<const char*>(file);
        folders.insert(path.substr(0, path.rfind('/')));
      }
      if (fonts != nullptr) FcFontSetDestroy(fonts);
      FcObjectSetDestroy(fields);
      FcPatternDestroy(pattern);
    }
  }
  return folders;
}

// A fontconfig file naming only `folders`, with its cache in a folder of its
// own; removeConfiguration takes both away.
std::string writeConfiguration(const char* name, const std::set<std::string>& folders) {
  const std::string path = testing::TempDir() + name + std::to_string(getpid());
  std::filesystem::create_directories(path);
  std::ofstream file(path + "/fonts.conf");
  file << "<?xml version=\"1.0\"?>\n<fontconfig>\n";
  for (const std::string& folder : folders) file << "  <dir>" << folder << "</dir>\n";
  file << "  <cachedir>" << path << "/cache</cachedir>\n</fontconfig>\n";
  return path + "/fonts.conf";
}

void removeConfiguration(const std::string& file) {
  std::filesystem::remove_all(std::filesystem::path(file).parent_path());
}

TEST(FontChoice, EveryFaceGetsItsTableFamilyWhateverElseIsInstalled) {
  ASSERT_TRUE(FcInit());
  // The fault this guards against shows only with these installed: the URW
  // fonts answered unknown names with a dingbat face.
  ASSERT_TRUE(familyInstalled("Noto Sans")) << "install the Debian package fonts-noto-core";
  ASSERT_TRUE(familyInstalled("D050000L")) << "install the Debian package fonts-urw-base35";
  for (const char* face : FWtexture::fontFaces) {
    EXPECT_GT(platform::substituteFor(face).candidateCount, 0) << face << " is not in the table";
  }

  const std::map<std::string, choiceOf> everything = allChoices();
  for (const auto& [key, found] : everything) {
    const platform::fontSubstitute& entry = *found.entry;
    const platform::fontChoice& choice = found.font;
    bool listed = false;
    for (int32_t c = 0; c < entry.candidateCount; ++c) {
      listed = listed || strcasecmp(entry.candidates[c].family, choice.family.c_str()) == 0;
    }
    EXPECT_TRUE(listed) << key << " got " << choice.family << " (" << choice.file << ")";
    EXPECT_EQ(choice.symbol, entry.symbol) << key << " got " << choice.file;
    EXPECT_EQ(choice.rawBytes, entry.symbol) << key;
  }
  EXPECT_TRUE(everything.at("Impact").font.bold) << "Impact is a heavy face";

  // The same choices from nothing but the table's own fonts.
  const std::string pinned = writeConfiguration("table-fonts-", tableFontFolders());
  ASSERT_TRUE(platform::useFontConfiguration(pinned.c_str()));
  EXPECT_FALSE(familyInstalled("Noto Sans")) << "the pinned configuration must leave Noto out";
  const std::map<std::string, choiceOf> tableOnly = allChoices();
  ASSERT_TRUE(platform::useFontConfiguration(nullptr));
  removeConfiguration(pinned);
  for (const auto& [key, found] : everything) {
    EXPECT_EQ(tableOnly.at(key).font.file, found.font.file) << key;
    EXPECT_EQ(tableOnly.at(key).font.index, found.font.index) << key;
  }
}

TEST(FontChoice, WithoutAnyFontTextStaysEmptyAndThePackageIsNamedOnce) {
  const std::string empty = writeConfiguration("no-fonts-", {});
  ASSERT_TRUE(platform::useFontConfiguration(empty.c_str()));
  testing::internal::CaptureStderr();
  std::vector<uint8_t> pixels(64 * 32 * 4, 0);
  platform::textRequest request;
  request.text = "greetings";
  request.faceName = "Times New Roman";
  request.cellHeight = 24;
  EXPECT_FALSE(platform::rasterizeText(request, pixels.data(), 64, 32));
  FWtexture::gen_text label;
  label.text = "greetings";
  label.sizeFactor = 24;
  label.fontIndex = 8;
  FWtexture::bitmap target;
  target.width = 64;
  target.height = 32;
  target.channels = 4;
  target.pixels = static_cast<uint8_t*>(std::calloc(pixels.size(), 1));  // freed by the bitmap
  EXPECT_EQ(label.generate(target), 0);
  EXPECT_EQ(std::vector<uint8_t>(target.pixels, target.pixels + pixels.size()), pixels);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(platform::useFontConfiguration(nullptr));
  removeConfiguration(empty);

  EXPECT_EQ(std::vector<uint8_t>(64 * 32 * 4, 0), pixels);
  const size_t first = said.find("fonts-liberation");
  ASSERT_NE(first, std::string::npos) << said;
  EXPECT_EQ(said.find("fonts-liberation", first + 1), std::string::npos) << said;
}

}  // namespace
