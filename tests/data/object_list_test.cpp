#include "data/object_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> values;

void RecordValue(ObjectListEntry*, const char* value) {
  values.push_back(value != nullptr ? value : "<cut>");
}

ObjectList list;

void Read(const std::string& text) {
  values.clear();
  ReadObjectList(&list, reinterpret_cast<const unsigned char*>(text.data()), int(text.size()),
                 RecordValue);
}

TEST(ObjectListTest, ReadsSectionsEntriesAndSeparatorsAsTheFileLaysThemOut) {
  Read("; catalogue\r\n[trees/]\r\n sky = sky.jpg\r\nwater=water.tga,rock=rock.cgo\r\n"
       "[/trees]\r\nignored text [rocks/]\tfive=5 [odd=odd.tga\r\n[/rocks]\r\n");
  ASSERT_EQ(list.count, 5);
  EXPECT_STREQ(list.entries[0].name, "sky ");
  EXPECT_STREQ(list.entries[1].name, "water");
  // The comma that ended a value starts the next name.
  EXPECT_STREQ(list.entries[2].name, ",rock");
  EXPECT_STREQ(list.entries[3].name, "five");
  // A "[" that does not close the section is skipped.
  EXPECT_STREQ(list.entries[4].name, "odd");
  EXPECT_EQ(values, (std::vector<std::string>{"sky.jpg", "water.tga", "rock.cgo", "5", "odd.tga"}));
  EXPECT_EQ(ObjectValueKindOf("sky.jpg"), ObjectValueKind::kTexture);
  EXPECT_EQ(ObjectValueKindOf("water.tga"), ObjectValueKind::kTexture);
  EXPECT_EQ(ObjectValueKindOf("rock.cgo"), ObjectValueKind::kModel);
  EXPECT_EQ(ObjectValueKindOf("5"), ObjectValueKind::kNone);
  EXPECT_EQ(list.entries[0].texture, nullptr);
  EXPECT_EQ(list.entries[0].model, nullptr);
}

TEST(ObjectListTest, HighBytesAreBlanksAndTheEndOfFileStopsQuietly) {
  Read("[a/]\xA0sky=sky.jpg\xFFtree=tr");
  ASSERT_EQ(list.count, 2);
  EXPECT_STREQ(list.entries[0].name, "sky");
  EXPECT_STREQ(list.entries[1].name, "tree");
  // A value the end of the file cut short names nothing.
  EXPECT_EQ(values, (std::vector<std::string>{"sky.jpg", "<cut>"}));

  Read("[a/] sky=sky.jpg grass");
  EXPECT_EQ(list.count, 1);
  Read("[a/] sky= ");
  EXPECT_EQ(values, (std::vector<std::string>{"<cut>"}));
  for (const char* text : {"", "no section", "[open", "[a/", "[a/]", "[a/] x=y [/a]"}) {
    Read(text);
    EXPECT_LE(list.count, 1) << text;
  }
}

TEST(ObjectListTest, LongNamesAndValuesAreCutAndExtraEntriesIgnored) {
  std::string longName(40, 'n');
  std::string longValue(40, 'v');
  Read("[a/] " + longName + "=" + longValue + " ");
  ASSERT_EQ(list.count, 1);
  EXPECT_EQ(std::string(list.entries[0].name), std::string(31, 'n'));
  EXPECT_EQ(values[0], std::string(31, 'v'));

  std::string text = "[a/]";
  for (int i = 0; i < kMaxObjectListEntries + 10; i++) text += " e" + std::to_string(i) + "=5";
  Read(text + " ");
  EXPECT_EQ(list.count, kMaxObjectListEntries);
  EXPECT_EQ(values.size(), size_t(kMaxObjectListEntries));
  EXPECT_STREQ(list.entries[kMaxObjectListEntries - 1].name, "e511");
}

}  // namespace
