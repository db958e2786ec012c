#include <gtest/gtest.h>

#include <string>

#include "desktop/new_file_removal.h"
#include "desktop/requests.h"
#include "support/code_pages.h"

namespace korvif {
namespace {

FileDialogRequest dialog(std::string text, int mode) { return parse_file_dialog_request(text.data(), mode); }

TEST(FileDialogRequest, FieldsFilterAndDefaultExtension) {
    const FileDialogRequest save =
        dialog("100,200,4,Faxdokumente (*.kvd)|*.kvd|Alle Dateien|*.*|", FileDialogRequest::save_mode);
    EXPECT_EQ(save.owner, 100);
    EXPECT_EQ(save.edit, 200);
    EXPECT_EQ(save.flags, 4);
    EXPECT_EQ(save.dialog_flags(), 4u | 8u);
    EXPECT_TRUE(save.has_filter);
    EXPECT_EQ(save.filter, std::string("Faxdokumente (*.kvd)\0*.kvd\0Alle Dateien\0*.*\0\0", 45));
    EXPECT_STREQ(save.default_extension, "kvd");

    // Open never takes a default extension from the filter.
    EXPECT_STREQ(dialog("100,200,4,Fax|*.kvd|", FileDialogRequest::open_mode).default_extension, "");

    // In code page 932 "\x83\x7C" is one character (po) whose second byte is the "|"'s, and
    // "\x83\x8C\x83\x7C" (repo) is followed by "*." below.
    struct Case {
        const char* filter;
        const char* extension;
        platform::LeadByteTest lead = nullptr;
    };
    for (const Case c :
         {Case {"Alle|*.*|", "*"}, Case {"Bilder|*.tf;*.bmp|", "tf"}, Case {"A|*.kv|", "kv"}, Case {"Ohne Muster|", ""},
          Case {"A|*.longer|", "lon"}, Case {"A|*.", ""},
          Case {"\x83\x8C\x83\x7C*.txt|*.kvd|", "kvd", test::cp932_lead}, Case {"\x83\x8C\x83\x7C*.txt|*.kvd|", "txt"},
          Case {"A|*.\x83\x7C\x83\x7C|", "\x83\x7C", test::cp932_lead},  // whole characters only
          Case {"A|*.x\x83\x7C|", "x\x83\x7C", test::cp932_lead}}) {
        std::string text = std::string("1,2,0,") + c.filter;
        EXPECT_STREQ(parse_file_dialog_request(text.data(), FileDialogRequest::save_mode, c.lead).default_extension,
                     c.extension)
            << c.filter;
    }
}

TEST(FileDialogRequest, MissingFieldsAndLeadingComma) {
    const FileDialogRequest empty = dialog("", FileDialogRequest::open_mode);
    EXPECT_EQ(empty.owner, 0);
    EXPECT_EQ(empty.edit, 0);
    EXPECT_FALSE(empty.has_filter);

    const FileDialogRequest owner_only = dialog("55", FileDialogRequest::open_mode);
    EXPECT_EQ(owner_only.owner, 55);
    EXPECT_FALSE(owner_only.has_filter);

    // A leading comma: the owner reads 0, the value after the first comma is skipped.
    const FileDialogRequest shifted = dialog(",9,200,4,Fax|*.kvd|", FileDialogRequest::save_mode);
    EXPECT_EQ(shifted.owner, 0);
    EXPECT_EQ(shifted.edit, 200);
    EXPECT_EQ(shifted.flags, 4);
    EXPECT_STREQ(shifted.default_extension, "kvd");
}

TEST(FileDialogRequest, FilterListAlwaysEndsWithAnEmptyString) {
    struct Case {
        const char* filter;
        std::string list;
        platform::LeadByteTest lead = nullptr;
    };
    const Case cases[] = {
        {"A|*.a|", std::string("A\0*.a\0\0", 7)},
        // Without the final "|" the list is completed, so the dialog never reads past it.
        {"A|*.a", std::string("A\0*.a\0\0", 7)},
        {"", std::string("\0\0", 2)},
        // The second byte of a double-byte character separates nothing, also at the end.
        {"\x83\x7C\x83\x67|*.kvd|", std::string("\x83\x7C\x83\x67\0*.kvd\0\0", 12), test::cp932_lead},
        {"A|*.\x83\x7C", std::string("A\0*.\x83\x7C\0\0", 8), test::cp932_lead},
        {"\x83\x7C|", std::string("\x83\0\0\0", 4)},
    };
    for (const Case& c : cases) EXPECT_EQ(filter_list(c.filter, c.lead), c.list) << c.filter;
}

TEST(FileDialogRequest, InitialDirectoryHoldsAtMost254Characters) {
    char buffer[FileDialogRequest::initial_directory_size];
    std::fill(std::begin(buffer), std::end(buffer), 'd');
    end_initial_directory(buffer, 300);
    EXPECT_EQ(std::string(buffer).size(), 254u);
    end_initial_directory(buffer, 12);
    EXPECT_EQ(std::string(buffer).size(), 12u);
    end_initial_directory(buffer, -1);
    EXPECT_EQ(std::string(buffer).size(), 0u);
}

// The file FDSAVE made, as other programs change it: a holder that refuses its removal a number
// of times (-1: always), then writes into it or not.
class FakeNewFile final : public NewFileCalls {
public:
    std::optional<FoundFile> file;
    int held_removes = 0;
    bool holder_writes = false;  // the holder saves into the file when it lets go
    RemoveResult refusal = RemoveResult::held;
    unsigned waited_ms = 0;

    std::optional<FoundFile> look() override { return file; }
    RemoveResult remove() override {
        if (held_removes != 0) {
            if (held_removes > 0 && --held_removes == 0 && holder_writes) file->size = 7;
            return refusal;
        }
        file.reset();
        return RemoveResult::removed;
    }
    void wait(unsigned milliseconds) override { waited_ms += milliseconds; }
};

TEST(NewFileRemoval, OnlyTheEmptyFileThisRunMadeGoesAndAHolderIsWaitedFor) {
    const FileIdentity made {0x1234, 77};
    struct Case {
        const char* what;
        std::optional<FoundFile> file;
        int held_removes;
        bool holder_writes;
        RemoveResult refusal;
        NewFileRemoval removal;
        unsigned waited_ms;
    };
    const Case cases[] = {
        {"free", FoundFile {made, 0}, 0, false, RemoveResult::held, NewFileRemoval::removed, 0},
        {"held for a moment", FoundFile {made, 0}, 3, false, RemoveResult::held, NewFileRemoval::removed, 300},
        {"held to the end", FoundFile {made, 0}, 20, false, RemoveResult::held, NewFileRemoval::removed, 2000},
        {"held for good", FoundFile {made, 0}, -1, false, RemoveResult::held, NewFileRemoval::held, 2000},
        {"written by its holder", FoundFile {made, 0}, 2, true, RemoveResult::held, NewFileRemoval::changed, 200},
        {"saved into", FoundFile {made, 5}, 0, false, RemoveResult::held, NewFileRemoval::changed, 0},
        {"another file", FoundFile {{0x1234, 78}, 0}, 0, false, RemoveResult::held, NewFileRemoval::changed, 0},
        {"another volume", FoundFile {{0x1235, 77}, 0}, 0, false, RemoveResult::held, NewFileRemoval::changed, 0},
        {"gone", std::nullopt, 0, false, RemoveResult::held, NewFileRemoval::gone, 0},
        {"refused", FoundFile {made, 0}, -1, false, RemoveResult::failed, NewFileRemoval::failed, 0},
    };
    for (const Case& c : cases) {
        FakeNewFile calls;
        calls.file = c.file;
        calls.held_removes = c.held_removes;
        calls.holder_writes = c.holder_writes;
        calls.refusal = c.refusal;
        EXPECT_EQ(remove_new_file(calls, made), c.removal) << c.what;
        EXPECT_EQ(calls.file.has_value(), c.file && c.removal != NewFileRemoval::removed) << c.what;
        EXPECT_EQ(calls.waited_ms, c.waited_ms) << c.what;
    }
}

}  // namespace
}  // namespace korvif
