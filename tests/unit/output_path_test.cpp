#include <gtest/gtest.h>

#include <string>

#include "command/output_path.h"

namespace korvif {
namespace {

TEST(CompleteOutputPath, ReplacesTheStarByTheInputDirectory) {
    struct Case {
        const char* input;
        const char* output;
        const char* completed;  // null: refused
    };
    const std::string long_dir = "/" + std::string(250, 'd') + "/";
    const Case cases[] = {
        {"/fax/in/0007.kvd", "*page.bmp", "/fax/in/page.bmp"},
        {"0001.kvd", "*p.bmp", "p.bmp"},
        {"/fax/0001.kvd", "p.bmp", "p.bmp"},
        {"/fax/0001.kvd", "x*p.bmp", "x*p.bmp"},
        {"C:\\FAX\\0001.kvd", "*p.bmp", "p.bmp"},  // only the platform's separator counts
        {long_dir.c_str(), "*a.bmp", nullptr},
    };
    for (const Case& c : cases) {
        set_output_path(c.output);
        const bool completed = complete_output_path(c.input);
        EXPECT_EQ(completed, c.completed != nullptr) << c.input;
        EXPECT_STREQ(output_path(), c.completed != nullptr ? c.completed : "") << c.input;
    }
}

}  // namespace
}  // namespace korvif
