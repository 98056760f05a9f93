#include "data/file_cache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/temp_files.h"

namespace {

// Runs each test inside a scratch folder, as the program runs inside its data folder.
class FileCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    startCount = fileCache.count;
  }
  void TearDown() override {
    while (fileCache.count > startCount) ReleaseFile(fileCache.entries[fileCache.count - 1]->data);
  }
  std::string NameAt(int slot) { return fileCache.entries[startCount + slot]->name; }

  TempDir dir;
  CurrentDirGuard inDir{dir.Path()};
  int startCount = 0;
};

TEST_F(FileCacheTest, SecondLoadInAnyCaseIsServedFromTheCache) {
  WriteTextFile(dir.File("level0.lev"), "abc");
  int size = 0;
  unsigned char* first = LoadDataFile("level0.lev", &size, true);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(size, 3);
  std::remove(dir.File("level0.lev").c_str());  // a disk read would now fail
  int againSize = 0;
  EXPECT_EQ(LoadDataFile("LEVEL0.LEV", &againSize, true), first);
  EXPECT_EQ(againSize, 3);
  EXPECT_EQ(fileCache.count, startCount + 1);
}

TEST_F(FileCacheTest, ReleaseByPointerOrNameKeepsTheOrderOfTheRest) {
  for (const char* name : {"a.txt", "tree.cgo", "c.txt"}) WriteTextFile(dir.File(name), name);
  unsigned char* a = LoadDataFile("a.txt", nullptr, true);
  unsigned char* tree = LoadDataFile("tree.cgo", nullptr, true);
  LoadDataFile("c.txt", nullptr, true);

  int stranger = 0;
  EXPECT_FALSE(ReleaseFile(&stranger));
  EXPECT_EQ(fileCache.count, startCount + 3);

  EXPECT_TRUE(ReleaseFileByName("Tree.cgo"));
  ASSERT_EQ(fileCache.count, startCount + 2);
  EXPECT_EQ(NameAt(0), "A.TXT");
  EXPECT_EQ(NameAt(1), "C.TXT");
  EXPECT_FALSE(ReleaseFileByName("tree.cgo"));
  EXPECT_FALSE(ReleaseFile(tree));

  EXPECT_TRUE(ReleaseFile(a));
  EXPECT_EQ(NameAt(0), "C.TXT");
}

TEST_F(FileCacheTest, EmptyFilesLoadAndMissingOnesRegisterNothing) {
  WriteTextFile(dir.File("empty.txt"), "");
  int size = -1;
  EXPECT_NE(LoadDataFile("empty.txt", &size, true), nullptr);
  EXPECT_EQ(size, 0);
  EXPECT_EQ(fileCache.count, startCount + 1);

  size = 7;
  EXPECT_EQ(LoadDataFile("missing.txt", &size, false), nullptr);
  EXPECT_EQ(size, 7);
  EXPECT_EQ(fileCache.count, startCount + 1);
}

TEST_F(FileCacheTest, NamesOfAnyLengthAreKeptApart) {
  // Equal in their first 127 characters: a cut key would serve one for the other.
  std::string stem(150, 'n');
  WriteTextFile(dir.File(stem + "1"), "one");
  WriteTextFile(dir.File(stem + "2"), "two");
  unsigned char* one = LoadDataFile((stem + "1").c_str(), nullptr, true);
  unsigned char* two = LoadDataFile((stem + "2").c_str(), nullptr, true);
  ASSERT_NE(one, nullptr);
  ASSERT_NE(two, nullptr);
  EXPECT_NE(one, two);
  EXPECT_EQ(two[1], 'w');
  EXPECT_EQ(FindCachedFile((std::string(150, 'N') + "2").c_str())->data, two);
}

TEST_F(FileCacheTest, NormalisationCoversLatinAndCyrillicOnly) {
  char key[] = "a-z_\xE0\xFF\xDF.jpg";
  NormalizeFileKey(key);
  EXPECT_STREQ(key, "A-Z_\xC0\xDF\xDF.JPG");
}

TEST_F(FileCacheTest, FullTableRefusesNewFilesWithoutLeaking) {
  WriteTextFile(dir.File("late.txt"), "late");
  static unsigned char placeholder;
  while (fileCache.count < kMaxCachedFiles) {
    ASSERT_TRUE(RegisterCachedFile("filler", 1, &placeholder, false));
  }
  EXPECT_FALSE(RegisterCachedFile("one-more", 1, &placeholder, false));
  EXPECT_EQ(LoadDataFile("late.txt", nullptr, false), nullptr);
  EXPECT_EQ(fileCache.count, kMaxCachedFiles);
  EXPECT_EXIT(LoadDataFile("late.txt", nullptr, true), ::testing::ExitedWithCode(1),
              "Can't load late.txt");
}

TEST_F(FileCacheTest, MissingFatalFileStopsTheProgramWithItsName) {
  EXPECT_EXIT(LoadDataFile("Gone.lev", nullptr, true), ::testing::ExitedWithCode(1),
              "Loading Error: Can't load Gone.lev...\nProgram will now stop.");
}

}  // namespace
