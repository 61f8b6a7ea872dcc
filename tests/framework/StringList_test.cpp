// String lists: sorted lists as the directory list keeps them, and text split into lines.
#include <gtest/gtest.h>

#include "framework/StringList.h"

namespace {

TEST(StringList, SortedListIgnoresCaseAndDuplicates) {
    TStringList list;
    list.SetSorted(true);
    list.Add("maps");
    list.Add("Save");
    list.Add("MAPS");
    list.Add("alpha");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"alpha", "maps", "Save"}));
    EXPECT_EQ(list.IndexOf("SAVE"), 2);
    EXPECT_EQ(list.IndexOf("none"), -1);
    TStringList copy;
    copy.SetSorted(true);
    copy.Assign(list);
    EXPECT_EQ(copy.Items(), list.Items());
}

TEST(StringList, TextSplitsAtEveryKindOfLineEnd) {
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"a", "b", "c", "d"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
}

}  // namespace
