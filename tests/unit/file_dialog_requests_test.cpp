#include <gtest/gtest.h>

#include <string>

#include "desktop/requests.h"

namespace korvif {
namespace {

FileDialogRequest dialog(std::string text, int mode) { return parse_file_dialog_request(text.data(), mode); }

TEST(FileDialogRequest, FieldsFilterAndDefaultExtension) {
    const FileDialogRequest save = dialog("100,200,4,Faxdokumente (*.kvd)|*.kvd|Alle Dateien|*.*|", FileDialogRequest::save_mode);
    EXPECT_EQ(save.owner, 100);
    EXPECT_EQ(save.edit, 200);
    EXPECT_EQ(save.flags, 4);
    EXPECT_EQ(save.dialog_flags(), 4u | 8u);
    EXPECT_TRUE(save.has_filter);
    EXPECT_EQ(save.filter, std::string("Faxdokumente (*.kvd)\0*.kvd\0Alle Dateien\0*.*\0\0", 45));
    EXPECT_STREQ(save.default_extension, "kvd");

    // Open never takes a default extension from the filter.
    EXPECT_STREQ(dialog("100,200,4,Fax|*.kvd|", FileDialogRequest::open_mode).default_extension, "");

    struct Case {
        const char* filter;
        const char* extension;
    };
    for (const Case c : {Case {"Alle|*.*|", "*"}, Case {"Bilder|*.tf;*.bmp|", "tf"}, Case {"A|*.kv|", "kv"},
                         Case {"Ohne Muster|", ""}, Case {"A|*.longer|", "lon"}, Case {"A|*.", ""}}) {
        const std::string text = std::string("1,2,0,") + c.filter;
        EXPECT_STREQ(dialog(text, FileDialogRequest::save_mode).default_extension, c.extension) << c.filter;
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
    EXPECT_EQ(filter_list("A|*.a|"), std::string("A\0*.a\0\0", 7));
    // Without the final "|" the list is completed, so the dialog never reads past it.
    EXPECT_EQ(filter_list("A|*.a"), std::string("A\0*.a\0\0", 7));
    EXPECT_EQ(filter_list(""), std::string("\0\0", 2));
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

}  // namespace
}  // namespace korvif
