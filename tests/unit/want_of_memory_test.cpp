// Want of memory: every allocation of a memory block that a command makes is made to fail in turn.
// Whichever it is, the command writes nothing: an earlier output, and a document changed in
// place, stay byte for byte as they were. A command that went on with less (a page written
// empty, a bitmap cut short) would be caught here.
#include <gtest/gtest.h>

#include <string>

#include "platform/memory/allocation_failures.h"
#include "support/bitmaps.h"
#include "support/documents.h"
#include "support/mh_writer.h"

namespace korvif {
namespace {

TEST(WantOfMemory, EachFailedAllocationLeavesEveryFileAsItWas) {
    const char* const commands[] = {
        "RES:@/doc.kvd,@/doc.kvd",      // a document changed in place
        "F2D:2,1,@/doc.kvd,@/out.bmp",  // an earlier output
        "SCL:3,300,120,@/page.bmp,@/out.bmp",
        "SCL:0,3456,40,@/page.bmp,@/out.bmp",
        "ROT:1,@/page.bmp,@/out.bmp",
        "D2F:0,@/page.bmp,@/out.g3",
        "F2P:1,3,@/doc.kvd,@/out.bmp",  // an earlier output of another kind stays too
        "F2T:1,3,@/doc.kvd,@/out.g3",
    };
    for (const std::string command : commands) {
        test::TempDir dir;
        test::MhWriter page;
        for (int i = 0; i < 40; ++i) page.aligned_eol().runs({i * 20, 9, 1719 - i * 20}).fill_to_byte();
        for (int i = 0; i < 6; ++i) page.eol();
        test::write_file(dir.file("doc.kvd"), test::make_document({page.bytes(), page.bytes(), page.bytes()}, 0));
        PackedBitmap bitmap = test::make_mono_bitmap(1728, 60, [](int x, int y) { return (x + y) % 7 == 0; });
        test::write_file(dir.file("page.bmp"), test::bmp_file_bytes(bitmap));
        test::write_file(dir.file("out.bmp"), {'o', 'l', 'd'});
        test::write_file(dir.file("out.g3"), {'o', 'l', 'd'});
        const auto before = test::files_in(dir.path());
        std::string text = command;
        for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@')) {
            text.replace(at, 1, dir.path().string());
        }

        int allocation = 1;
        for (;; ++allocation) {
            ASSERT_LT(allocation, 10000) << command;
            allocation_failures::fail_at(allocation);
            test::run_command(text);
            if (!allocation_failures::reached()) break;
            ASSERT_EQ(test::files_in(dir.path()), before) << command << ": allocation " << allocation << " failed";
        }
        allocation_failures::fail_at(0);
        EXPECT_GT(allocation, 1) << command << " allocates no memory block";
        EXPECT_NE(test::files_in(dir.path()), before) << command << " writes nothing when memory is there";
    }
}

}  // namespace
}  // namespace korvif
