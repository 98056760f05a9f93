#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "support/temp_files.h"

namespace {

const char kPath[] = "software\\quarvix\\screensavers\\Vesperglen";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    user = dir.File("config/vesperglen/registry.reg");
    userEnv = std::make_unique<ScopedEnv>("VESPERGLEN_REGISTRY", user.c_str());
    machineEnv =
        std::make_unique<ScopedEnv>("VESPERGLEN_MACHINE_REGISTRY", dir.File("machine.reg").c_str());
  }
  HKEY Open(HKEY root, const char* path = kPath) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
    return key;
  }
  HKEY Create(HKEY root, const char* path = kPath) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }
  std::string QueryString(HKEY key, const char* name) {
    char text[256] = {};
    DWORD size = sizeof text;
    DWORD type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS) {
      return "<missing>";
    }
    return type == REG_SZ ? text : "<not a string>";
  }

  TempDir dir;
  std::string user;
  std::unique_ptr<ScopedEnv> userEnv, machineEnv;
};

TEST_F(RegistryTest, QueriesFollowWin32SizeAndMissingRules) {
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_ALL_ACCESS, &missing),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);

  HKEY key = Create(HKEY_LOCAL_MACHINE);
  const BYTE bytes[5] = {1, 2, 3, 4, 5};
  ASSERT_EQ(RegSetValueExA(key, "Blob", 0, REG_BINARY, bytes, 5), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "blob", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(size, 5u);

  BYTE small[4] = {9, 9, 9, 9};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "BLOB", nullptr, nullptr, small, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 5u);

  BYTE large[8] = {};
  size = sizeof large;
  EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, large, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(large[4], 5);

  size = sizeof large;
  EXPECT_EQ(RegQueryValueExA(key, "absent", nullptr, nullptr, large, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Blob", nullptr, nullptr, large, &size), ERROR_INVALID_HANDLE);

  HKEY again = Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quarvix\\ScreenSavers\\vesperglen\\");
  EXPECT_EQ(QueryString(again, "Blob"), "<not a string>");
  RegCloseKey(again);
}

TEST_F(RegistryTest, SavesKeepUnknownKeysValuesAndAwkwardStrings) {
  std::filesystem::create_directories(dir.File("config/vesperglen"));
  WriteTextFile(user,
                "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Other]\r\n\"keep\"=dword:0000002a\r\n"
                "\"list\"=hex(7):61,00,\\\r\n  62,00,00\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\r\n"
                "\"foreign\"=\"x\"\r\n");
  HKEY key = Open(HKEY_LOCAL_MACHINE);
  const char tricky[] = "C:\\Saver \"quoted\"";
  ASSERT_EQ(RegSetValueExA(key, "dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(tricky),
                           sizeof tricky),
            ERROR_SUCCESS);
  const char twoLines[] = "a\nb";
  ASSERT_EQ(RegSetValueExA(key, "lines", 0, REG_SZ, reinterpret_cast<const BYTE*>(twoLines),
                           sizeof twoLines),
            ERROR_SUCCESS);
  EXPECT_EQ(QueryString(key, "dir"), tricky);
  EXPECT_EQ(QueryString(key, "lines"), twoLines);
  EXPECT_EQ(QueryString(key, "foreign"), "x");
  RegCloseKey(key);

  HKEY other = Open(HKEY_CURRENT_USER, "Other");
  DWORD number = 0, size = sizeof number;
  EXPECT_EQ(RegQueryValueExA(other, "keep", nullptr, nullptr, reinterpret_cast<BYTE*>(&number),
                             &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, 42u);
  BYTE list[8] = {};
  size = sizeof list;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(other, "list", nullptr, &type, list, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
  EXPECT_EQ(size, 5u);
  RegCloseKey(other);

  for (const auto& entry : std::filesystem::directory_iterator(dir.File("config/vesperglen"))) {
    EXPECT_EQ(entry.path().filename(), "registry.reg") << "temporary file left behind";
  }
}

TEST_F(RegistryTest, MachineFileServesLocalMachineReadsOnly) {
  WriteTextFile(dir.File("machine.reg"),
                "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n"
                "\"dir\"=\"/opt/vesperglen\"\n\"name\"=\"Machine\"\n"
                "[HKEY_CURRENT_USER\\software\\quarvix\\screensavers\\Vesperglen]\n\"dir\"=\"no\"\n");
  std::string machineBefore = ReadTextFile(dir.File("machine.reg"));
  HKEY none = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &none), ERROR_FILE_NOT_FOUND);

  HKEY key = Open(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(QueryString(key, "dir"), "/opt/vesperglen");
  const char mine[] = "Mine";
  ASSERT_EQ(RegSetValueExA(key, "name", 0, REG_SZ, reinterpret_cast<const BYTE*>(mine),
                           sizeof mine),
            ERROR_SUCCESS);
  EXPECT_EQ(QueryString(key, "name"), "Mine");
  EXPECT_EQ(QueryString(key, "dir"), "/opt/vesperglen");
  RegCloseKey(key);
  EXPECT_EQ(ReadTextFile(dir.File("machine.reg")), machineBefore);
  EXPECT_NE(ReadTextFile(user).find("\"name\"=\"Mine\""), std::string::npos);
}

TEST_F(RegistryTest, MalformedFileReadsAsEmptyAndIsNeverOverwritten) {
  std::filesystem::create_directories(dir.File("config/vesperglen"));
  const std::string broken =
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n"
      "\"settings\"=hex:0g\n";
  WriteTextFile(user, broken);
  HKEY key = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_ALL_ACCESS, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_NE(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_SUCCESS);
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("registry.reg"), std::string::npos) << said;
  EXPECT_EQ(ReadTextFile(user), broken);

  WriteTextFile(user, "not a registry file\n");
  WriteTextFile(dir.File("machine.reg"),
                "REGEDIT4\n[HKEY_LOCAL_MACHINE\\software\\quarvix\\screensavers\\Vesperglen]\n");
  testing::internal::CaptureStderr();
  key = Open(HKEY_LOCAL_MACHINE);
  const BYTE byte = 1;
  EXPECT_NE(RegSetValueExA(key, "settings", 0, REG_BINARY, &byte, 1), ERROR_SUCCESS);
  testing::internal::GetCapturedStderr();
  RegCloseKey(key);
  EXPECT_EQ(ReadTextFile(user), "not a registry file\n");
}

// Each problem is said once; a file broken anew at every read must not make the process keep
// every message it ever said.
TEST_F(RegistryTest, ProblemsAreSaidOnceAndOnlyUpToAFixedNumber) {
  std::filesystem::create_directories(dir.File("config/vesperglen"));
  testing::internal::CaptureStderr();
  for (int i = 0; i < 40; ++i) {
    WriteTextFile(user, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\software]\nbroken line " + std::to_string(i) + "\n");
    for (int again = 0; again < 2; ++again) {
      HKEY key = nullptr;
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPath, 0, KEY_ALL_ACCESS, &key);
    }
  }
  std::string said = testing::internal::GetCapturedStderr();
  size_t lines = static_cast<size_t>(std::count(said.begin(), said.end(), '\n'));
  EXPECT_GE(lines, 1u) << said;
  EXPECT_LE(lines, 32u) << said;
  EXPECT_EQ(said.find("broken line 0"), said.rfind("broken line 0")) << said;
}

}  // namespace
