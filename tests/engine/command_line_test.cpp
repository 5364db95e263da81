// The show's command line: options become the dialog's preset, bad ones are
// refused before anything opens.
#include "engine/command_line.h"
#include "support/command.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool parse(std::vector<std::string> words, showCommandLine* parsed, std::string* error) {
  std::vector<char*> argv{const_cast<char*>("amberpudding")};
  for (std::string& word : words) argv.push_back(word.data());
  return parseShowCommandLine(static_cast<int>(argv.size()), argv.data(), parsed, error);
}

TEST(ShowCommandLine, OptionsBecomeThePresetOverTheDefaults) {
  showCommandLine parsed;
  std::string error;
  ASSERT_TRUE(parse({"--window", "--size", "800x600", "--aspect", "16:10", "--vsync", "--msaa",
                     "8", "--stats", "--no-music", "--loop", "--no-dialog", "--hold", "30.5"},
                    &parsed, &error))
      << error;
  setDialogDefaults(1920, 1080);
  multisampleIndex = 0;
  applyPreset(parsed.preset);
  EXPECT_FALSE(fullscreenOn);
  EXPECT_EQ(resolutionCode, resolution::r800x600);
  EXPECT_EQ(aspectCode, aspect::a16to10);
  EXPECT_TRUE(syncOn);
  EXPECT_EQ(multisampleIndex, 3);
  EXPECT_TRUE(statisticsOn);
  EXPECT_FALSE(musicOn);
  EXPECT_TRUE(loopOn);
  EXPECT_TRUE(parsed.preset.skipDialog);
  EXPECT_EQ(parsed.holdSeconds, 30.5);
  EXPECT_TRUE(aspectChosen);

  // Monitors count from 1 on the line, from 0 inside.
  showCommandLine desktop;
  ASSERT_TRUE(parse({"--size", "desktop", "--display", "2"}, &desktop, &error)) << error;
  EXPECT_EQ(desktop.preset.resolution, resolution::desktop);
  EXPECT_EQ(desktop.preset.display, 1);

  // Settings the line does not name keep their defaults.
  setDialogDefaults(1920, 1080);
  applyPreset(settingsPreset{});
  EXPECT_TRUE(fullscreenOn);
  EXPECT_EQ(aspectCode, aspect::a16to9);
  EXPECT_FALSE(aspectChosen);
  EXPECT_EQ(displayIndex, noMonitor);
  EXPECT_TRUE(musicOn);
  multisampleIndex = 0;
}

TEST(ShowCommandLine, EditTakesAContentFolderButNotTheNextOption) {
  showCommandLine parsed;
  std::string error;
  const std::string content = std::string(AMBER_SOURCE_DIR) + "/content";
  ASSERT_TRUE(parse({"--edit", content + "/", "--window"}, &parsed, &error)) << error;
  EXPECT_EQ(parsed.editFolder, content);
  EXPECT_FALSE(parsed.preset.fullscreen.value_or(true));
  // Without a folder it means ./content, which the test's folder lacks.
  EXPECT_FALSE(parse({"--edit", "--window"}, &parsed, &error));
  EXPECT_NE(error.find("\"content\""), std::string::npos) << error;
}

TEST(ShowCommandLine, BadOptionsAndValuesAreRefusedInOneLine) {
  for (const std::vector<std::string>& words :
       {std::vector<std::string>{"--size", "1920x1080"}, {"--aspect", "3:2"}, {"--msaa", "3"},
        {"--size"}, {"--bogus"}, {"--hold", "-1"}, {"--hold", "ten"},
        {"--edit", "/nonexistent/content"}, {"--display", "0"}, {"--display", "two"}}) {
    showCommandLine parsed;
    std::string error;
    EXPECT_FALSE(parse(words, &parsed, &error)) << words[0];
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

// The executable itself: --help and --version answer without opening
// anything, a bad value exits 2 with one line on stderr.
TEST(ShowCommandLine, TheProgramAnswersHelpVersionAndBadValues) {
  using testing_support::runCommand;
  const std::string show = std::string("env -u DISPLAY -u WAYLAND_DISPLAY ") + AMBER_SHOW_EXECUTABLE;
  const auto help = runCommand(show + " --help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--no-dialog"), std::string::npos);
  const auto version = runCommand(show + " --version");
  EXPECT_EQ(version.status, 0);
  EXPECT_NE(version.output.find("Amber Pudding"), std::string::npos);
  const auto bad = runCommand(show + " --size 7x7 2>&1");
  EXPECT_EQ(bad.status, 2);
  EXPECT_EQ(bad.output,
            "amberpudding: --size wants 640x480|800x600|1024x768|1280x960|desktop, not \"7x7\"\n");
  // A monitor that is not there: the headless driver has one.
  const auto missing = runCommand("SDL_VIDEODRIVER=offscreen " + show + " --display 2 2>&1");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.output, "amberpudding: --display 2: there is 1 monitor\n");
}

// --version names the package the show would open: the working directory's
// first; a build tree never reaches for an installed copy elsewhere.
TEST(ShowCommandLine, VersionNamesThePackageItWouldOpen) {
  using testing_support::runCommand;
  const std::string folder = testing_support::makeTempFolder();
  ASSERT_FALSE(folder.empty());
  const std::string version = std::string(" && ") + AMBER_SHOW_EXECUTABLE + " --version";
  const std::string beside = std::filesystem::path(AMBER_SHOW_EXECUTABLE)
                                 .parent_path()
                                 .parent_path()
                                 .append("share/amberpudding/pack.zip")
                                 .string();
  const std::string none = runCommand("cd " + folder + version).output;
  EXPECT_NE(none.find("\npackage: none found (no pack.zip in the working directory or " + beside +
                      ")\n"),
            std::string::npos)
      << none;
  std::ofstream(folder + "/pack.zip") << "PK";
  EXPECT_NE(runCommand("cd " + folder + version).output.find("package: pack.zip (working directory)\n"),
            std::string::npos);
}

}  // namespace
