#include <gtest/gtest.h>

#include "platform/file.h"
#include "support/files.h"

namespace korvif {
namespace {

TEST(FileExists, FindsFilesDirectoriesAndWildcards) {
    test::TempDir dir;
    test::write_file(dir.file("0007.kvd"), {1});
    struct Case {
        std::string path;
        bool found;
    };
    const Case cases[] = {
        {dir.file("0007.kvd"), true}, {dir.path().string(), true}, {dir.file("*.kvd"), true},
        {dir.file("00??.kvd"), true}, {dir.file("*.bmp"), false},  {dir.file("missing.kvd"), false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::file_exists(c.path.c_str()), c.found) << c.path;
}

TEST(TemporaryFiles, UniqueEmptyFilesWithThePrefix) {
    test::TempDir dir;
    const std::string directory = dir.path().string() + "/";
    const auto first = platform::create_unique_temporary_file(directory, "CR");
    const auto second = platform::create_unique_temporary_file(directory, "CR");
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->rfind(directory + "CR", 0), 0u);
    EXPECT_TRUE(test::read_file(*first).empty());
    EXPECT_FALSE(platform::create_unique_temporary_file(dir.file("no/such/"), "CR"));

    // Copying over it, and a file opened to be deleted on close is gone afterwards.
    test::write_file(dir.file("source"), {1, 2, 3});
    ASSERT_TRUE(platform::copy_file(dir.file("source").c_str(), first->c_str()));
    {
        platform::File file = platform::File::open(first->c_str(), platform::FileMode::read_private_temporary);
        ASSERT_TRUE(file.is_open());
        EXPECT_EQ(file.size(), 3u);
    }
    EXPECT_FALSE(test::file_present(*first));
}

TEST(FileModes, AppendAndExistingWrite) {
    test::TempDir dir;
    const std::string path = dir.file("data");
    std::uint32_t written = 0;
    {
        platform::File file = platform::File::open(path.c_str(), platform::FileMode::open_always_append);
        ASSERT_TRUE(file.is_open());
        file.write("ab", 2, written);
    }
    {
        platform::File file = platform::File::open(path.c_str(), platform::FileMode::open_always_append);
        file.write("cd", 2, written);
    }
    {
        platform::File file = platform::File::open(path.c_str(), platform::FileMode::open_existing_write);
        file.write("X", 1, written);
    }
    EXPECT_EQ(test::read_file(path), (test::Bytes {'X', 'b', 'c', 'd'}));
    EXPECT_FALSE(platform::File::open(dir.file("none").c_str(), platform::FileMode::open_existing_write).is_open());
    EXPECT_FALSE(platform::File::open(dir.path().c_str(), platform::FileMode::read_shared).is_open());
}

}  // namespace
}  // namespace korvif
