#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/file.h"
#include "platform/path.h"
#include "platform/replacement.h"
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

    // A file opened to be deleted on close is gone afterwards.
    test::write_file(*first, {1, 2, 3});
    {
        platform::File file = platform::File::open(first->c_str(), platform::FileMode::read_private_temporary);
        ASSERT_TRUE(file.is_open());
        EXPECT_EQ(file.size(), 3u);
    }
    EXPECT_FALSE(test::file_present(*first));
}

TEST(FileModes, AppendCreatesThenAppends) {
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
    EXPECT_EQ(test::read_file(path), (test::Bytes {'a', 'b', 'c', 'd'}));
    EXPECT_FALSE(platform::File::open(dir.path().c_str(), platform::FileMode::read_shared).is_open());
}

TEST(DirectoryLength, BothSeparatorsAndDrivesOnWindowsOnlySlashOnLinux) {
    using platform::PathStyle;
    struct Case {
        const char* path;
        PathStyle style;
        std::size_t length;
    };
    const Case cases[] = {
        {"C:\\FAX\\IN\\0007.kvd", PathStyle::windows, 10}, {"sub/new.kvd", PathStyle::windows, 4},
        {"./doc.kvd", PathStyle::windows, 2},                 {"C:\\FAX/IN\\x/y.kvd", PathStyle::windows, 12},
        {"doc.kvd", PathStyle::windows, 0},                   {"C:doc.kvd", PathStyle::windows, 2},
        {"", PathStyle::windows, 0},                          {"1:doc.kvd", PathStyle::windows, 0},
        {"sub\\new.kvd", PathStyle::posix, 0},                {"/tmp/a\\b.kvd", PathStyle::posix, 5},
        {"C:doc.kvd", PathStyle::posix, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(platform::directory_length(c.path, c.style), c.length) << c.path;
}

class Replacement : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string target = dir.file("doc.kvd");

    std::size_t files_in_dir() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
    }
};

TEST_F(Replacement, OnlyACommittedCompleteFileTakesThePlace) {
    test::write_file(target, {1, 2, 3});
    test::write_file(dir.file("~doc.kvd"), {9});  // a user's own file of the old work-file form
    ::chmod(target.c_str(), 0640);
    {
        platform::FileReplacement first(target.c_str());
        platform::FileReplacement second(target.c_str());
        ASSERT_TRUE(first.good() && second.good());
        EXPECT_NE(first.work_path(), second.work_path());
        EXPECT_EQ(first.work_path().rfind(dir.file("~kv"), 0), 0u);
        EXPECT_TRUE(first.write("abcd", 4) && second.write("xy", 2));
        EXPECT_EQ(test::read_file(target), (test::Bytes {1, 2, 3}));  // untouched before the commit
        EXPECT_TRUE(first.seek(1) && first.write("B", 1));
        EXPECT_TRUE(first.commit());
        EXPECT_FALSE(first.write("z", 1));
        // `second` is never committed.
    }
    EXPECT_EQ(test::read_file(target), (test::Bytes {'a', 'B', 'c', 'd'}));
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(test::read_file(dir.file("~doc.kvd")), (test::Bytes {9}));
    EXPECT_EQ(files_in_dir(), 2u);

    // A directory that does not exist: nothing can be written, nothing is made.
    platform::FileReplacement nowhere(dir.file("no/such.kvd").c_str());
    EXPECT_FALSE(nowhere.good() || nowhere.write("a", 1) || nowhere.commit());
    EXPECT_FALSE(test::file_present(dir.file("no")));
}

}  // namespace
}  // namespace korvif
