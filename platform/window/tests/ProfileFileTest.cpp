#include "ProfileFile.h"

#include <gtest/gtest.h>

using OrvPlatform::Window::Detail::ProfileFile;

TEST(WindowProfileFile, ReadsEntriesAndKeepsWhatItCannotRead)
{
    const std::string text = "stray line\n"
                             "[Main]\n"
                             "Count=i:4\n"
                             "a\\=b=s:x\\]y\n"
                             "broken \\q=value\n"
                             "=no name\n"
                             "[Second]\n"
                             "WP=b:00FF\n";
    ProfileFile file = ProfileFile::Parse(text);
    ASSERT_NE(file.Find("main", "COUNT"), nullptr);
    EXPECT_EQ(*file.Find("Main", "Count"), "i:4");
    ASSERT_NE(file.Find("Main", "a=b"), nullptr);
    EXPECT_EQ(*file.Find("Main", "a=b"), "s:x]y");
    EXPECT_EQ(file.Find("Main", "broken \\q"), nullptr);
    EXPECT_EQ(*file.Find("Second", "WP"), "b:00FF");
    EXPECT_EQ(file.Find("Third", "WP"), nullptr);
    // What was read is written back as it was.
    EXPECT_EQ(file.Serialize(), text);

    file.Set("Second", "WP", "b:01");
    file.Set("New [section]", "line\nbreak", "s:\\");
    const ProfileFile again = ProfileFile::Parse(file.Serialize());
    EXPECT_EQ(*again.Find("Second", "WP"), "b:01");
    EXPECT_EQ(*again.Find("New [section]", "line\nbreak"), "s:\\");
    EXPECT_EQ(again.Serialize(), file.Serialize());
}
