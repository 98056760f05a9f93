#include "data/key_value.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

namespace {

std::string Value(const std::string& text, const char* key) {
  char value[64];
  const char* result = GetTextValue(value, sizeof value, text.data(), int(text.size()), key);
  return result != nullptr ? std::string(value) : std::string("<missing>");
}

int Int(const std::string& text, const char* key) {
  return GetIntValue(text.data(), int(text.size()), key);
}

TEST(KeyValueTest, KeysMatchAsFirstPlainSubstring) {
  std::string text = "mesh10=a.msh_s\r\nmesh1=b.msh_s\r\nxmesh2=c \r\nmesh1=d\r\n";
  EXPECT_EQ(Value(text, "mesh1="), "b.msh_s");
  EXPECT_EQ(Value(text, "mesh10="), "a.msh_s");
  EXPECT_EQ(Value(text, "mesh2="), "c ");
  EXPECT_EQ(Value(text, "texture0="), "<missing>");
  EXPECT_EQ(Value("", "link1="), "<missing>");
  EXPECT_EQ(Value("link1=", "link1="), "");
  EXPECT_EQ(Value("k=tail without line end", "k="), "tail without line end");
}

TEST(KeyValueTest, NoTextHasOnlyTheEmptyValueOfTheEmptyKey) {
  char value[8] = "x";
  EXPECT_STREQ(GetTextValue(value, sizeof value, nullptr, 0, ""), "");
  EXPECT_EQ(GetTextValue(value, sizeof value, nullptr, 0, "link1="), nullptr);
  EXPECT_EQ(GetIntValue(nullptr, 0, ""), 0);
}

TEST(KeyValueTest, UnterminatedTextIsNeverReadPastItsEnd) {
  // Exactly the file's bytes on the heap, as LoadDataFile hands them out: ASan sees an overrun.
  const char content[] = "link1=http://example.org";
  size_t length = sizeof content - 1;
  std::unique_ptr<char[]> buffer(new char[length]);
  std::memcpy(buffer.get(), content, length);
  char value[64];
  ASSERT_NE(GetTextValue(value, sizeof value, buffer.get(), int(length), "link1="), nullptr);
  EXPECT_STREQ(value, "http://example.org");
  EXPECT_EQ(GetTextValue(value, sizeof value, buffer.get(), int(length), "org="), nullptr);
  EXPECT_EQ(GetTextValue(value, sizeof value, buffer.get(), int(length) - 3, "example.org"),
            nullptr);
  // A zero byte ends the text early, as the descriptor loader's terminator does.
  std::string terminated("a=1\r\n", 5);
  terminated.back() = '\0';
  terminated += "b=2";
  EXPECT_EQ(Value(terminated, "b="), "<missing>");
}

TEST(KeyValueTest, LongValuesAreCutToTheDestination) {
  std::string text = "mesh0=" + std::string(100, 'm') + "\r\n";
  char value[32];
  memset(value, 'X', sizeof value);
  GetTextValue(value, sizeof value, text.data(), int(text.size()), "mesh0=");
  EXPECT_EQ(std::string(value), std::string(31, 'm'));
}

TEST(KeyValueTest, IntegersAreDecimalNumbersTruncatedTowardZero) {
  EXPECT_EQ(Int("nummeshes=3\r\n", "nummeshes="), 3);
  EXPECT_EQ(Int("nummeshes=2.9\r\n", "nummeshes="), 2);
  EXPECT_EQ(Int("nummeshes=-2.9\r\n", "nummeshes="), -2);
  EXPECT_EQ(Int("nummeshes= 1e2x\r\n", "nummeshes="), 100);
  EXPECT_EQ(Int("nummeshes=x\r\n", "nummeshes="), 0);
  EXPECT_EQ(Int("nummeshes=\r\n", "nummeshes="), 0);
  EXPECT_EQ(Int("nummeshes=0x10\r\n", "nummeshes="), 0);
  EXPECT_EQ(Int("nummeshes=inf\r\n", "nummeshes="), 0);
  EXPECT_EQ(Int("nummeshes=99999999999\r\n", "nummeshes="), INT_MAX);
  EXPECT_EQ(Int("nummeshes=-1e300\r\n", "nummeshes="), INT_MIN);
  EXPECT_EQ(Int("other=5\r\n", "nummeshes="), 0);
}

}  // namespace
