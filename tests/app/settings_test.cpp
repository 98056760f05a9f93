#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

const char kKey[] = "[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n";

std::string Hex(const std::vector<int>& bytes) {
  std::string text = "hex:";
  char byte[4];
  for (size_t i = 0; i < bytes.size(); i++) {
    snprintf(byte, sizeof byte, "%02x", bytes[i]);
    if (i > 0) text += ',';
    text += byte;
  }
  return text;
}

// A user registry file and a machine-wide one whose "dir" is a scratch installation folder.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    userEnv = std::make_unique<ScopedEnv>("VESPERGLEN_REGISTRY", dir.File("user.reg").c_str());
    machineEnv =
        std::make_unique<ScopedEnv>("VESPERGLEN_MACHINE_REGISTRY", dir.File("machine.reg").c_str());
    WriteMachineFile("");
    WriteTextFile(dir.File("links.txt"), "link0=no\r\nlink1=https://example.org/saver\r\n");
    settings = Settings{};
    extendedSettings = ExtendedSettings{};
    BuildSettingsKeyPath();
  }
  void WriteMachineFile(const std::string& values) {
    WriteTextFile(dir.File("machine.reg"), std::string("REGEDIT4\n\n") + kKey + "\"dir\"=\"" +
                                               dir.Path() + "\"\n" + values);
  }
  void WriteUserFile(const std::string& values) {
    WriteTextFile(dir.File("user.reg"), std::string("REGEDIT4\n\n") + kKey + values);
  }
  std::vector<unsigned char> StoredSettings() {
    std::vector<unsigned char> bytes(64);
    DWORD size = DWORD(bytes.size());
    HKEY key;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, settingsKeyPath, 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(key, "settings", nullptr, nullptr, bytes.data(), &size),
              ERROR_SUCCESS);
    RegCloseKey(key);
    bytes.resize(size);
    return bytes;
  }

  TempDir dir;
  CurrentDirGuard keepCurrentDir;
  std::unique_ptr<ScopedEnv> userEnv, machineEnv;
};

TEST_F(SettingsTest, MissingValuesGiveDefaultsThatAreStoredAsExactBytes) {
  settings.sceneChangeTime = 3;  // kept: the defaults do not touch it
  LoadSettings();
  EXPECT_EQ(settings.sceneChangeTime, 3);
  settings.sceneChangeTime = 0;
  EXPECT_EQ(extendedSettings.sceneCount, 1);
  EXPECT_EQ(extendedSettings.musicStartPosition, 47);
  EXPECT_STREQ(installDir, dir.Path().c_str());
  EXPECT_STREQ(link1, "https://example.org/saver");

  SaveSettings();
  std::vector<unsigned char> expected = {0, 0, 0, 0, 0x50, 0, 0, 0, 0, 1,
                                         0, 0, 0, 0, 0,    0, 1, 1, 0, 0};
  EXPECT_EQ(StoredSettings(), expected);
  EXPECT_EQ(ReadTextFile(dir.File("machine.reg")).find("\"settings\""), std::string::npos);
}

TEST_F(SettingsTest, WrongSizedSettingsAreMissingAndReplacedOnSave) {
  for (int size : {19, 21}) {
    std::vector<int> bytes(size, 0);
    bytes[4] = 33;  // a volume that must not be taken
    WriteUserFile("\"settings\"=" + Hex(bytes) + "\n\"settingsex\"=" + Hex({8, 1}) + "\n");
    LoadSettings();
    EXPECT_EQ(settings.volume, 80) << size;
    EXPECT_EQ(extendedSettings.sceneCount, 1) << size;
    SaveSettings();
    EXPECT_EQ(StoredSettings().size(), 20u) << size;
  }
}

TEST_F(SettingsTest, StoredRecordsAreReadAndTheMusicStartIsFixed) {
  WriteUserFile("\"settings\"=" + Hex({6, 0, 0, 0, 55, 0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 0, 0, 1, 0, 0}) +
                "\n\"settingsex\"=" + Hex({8, 5, 1, 2, 3, 0, 1, 2, 3, 0}) + "\n");
  LoadSettings();
  EXPECT_EQ(settings.sceneChangeTime, 6);
  EXPECT_EQ(settings.volume, 55);
  EXPECT_EQ(settings.dayCycle, 1);
  EXPECT_EQ(settings.showTime, 0);
  EXPECT_EQ(settings.startScene, 7);
  EXPECT_EQ(settings.music, 0);
  EXPECT_EQ(settings.sounds, 1);
  EXPECT_EQ(extendedSettings.sceneCount, 8);
  EXPECT_EQ(extendedSettings.musicStartPosition, 47);
  EXPECT_EQ(extendedSettings.ambientKind[0], 1);
  EXPECT_EQ(extendedSettings.ambientKind[6], 3);
}

TEST_F(SettingsTest, StringsAreAlwaysTerminatedAndOverlongOnesLeftEmpty) {
  std::string longName(300, 'n');
  // 255 characters stored without a terminating zero: exactly the query limit.
  std::vector<int> unterminated(255, 'm');
  WriteMachineFile("\"name\"=\"" + longName + "\"\n\"musicname\"=hex(1):" +
                   Hex(unterminated).substr(4) + "\n");
  memset(displayName, 'X', sizeof displayName);
  memset(musicName, 'X', sizeof musicName);
  LoadSettings();
  EXPECT_STREQ(displayName, "");
  EXPECT_EQ(std::string(musicName), std::string(255, 'm'));
}

TEST_F(SettingsTest, LinksWithoutLink1LeaveItEmpty) {
  WriteTextFile(dir.File("links.txt"), "link2=elsewhere\r\n");
  LoadSettings();
  EXPECT_STREQ(link1, "");
}

TEST_F(SettingsTest, MissingLinksFileStopsTheProgram) {
  std::remove(dir.File("links.txt").c_str());
  EXPECT_EXIT(LoadSettings(), ::testing::ExitedWithCode(1),
              "Loading Error: Can't load links.txt...\nProgram will now stop.");
}

}  // namespace
