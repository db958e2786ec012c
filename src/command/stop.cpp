#include "command/stop.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

namespace korvif {

namespace {

// Each failure's phrase: the first "{}" stands for the subject, the second for the detail; a
// detail after ": " goes with its ": " where it is empty ("the command failed"). A few phrases
// name the step that failed rather than its cause, as support staff and scripts have always
// read them: "cannot be read" for a page whose bytes F2D could not have (refused, outside the
// file or without memory), "cannot be loaded" for any BMP that does not load, "cannot be coded"
// for any bitmap the fax raster refuses, "cannot be decoded" for page data of no bitmap (too
// short included), and a page range outside the file (out_of_range without a detail) "cannot be
// had". A phrase `without_detail`, where there is one, stands for a failure without a detail.
struct Phrase {
    Failure failure;
    const char* text;
    const char* without_detail = nullptr;
};

constexpr Phrase phrases[] = {
    {Failure::not_found, "{} was not found"},
    {Failure::cannot_be_read, "{} cannot be read"},
    {Failure::too_short, "{} is shorter than {}"},
    {Failure::too_large, "{} would reach {}"},
    {Failure::no_memory, "{} cannot be had"},
    {Failure::not_one_bit, "{} is not 1-bit"},
    {Failure::unusable_size, "{} has an unusable size"},
    {Failure::cannot_be_written, "{} cannot be written"},
    {Failure::name_taken, "{} already exists"},
    {Failure::empty, "{} is empty"},
    {Failure::missing, "{} is missing"},
    {Failure::absent, "no {}"},
    {Failure::too_few, "fewer than {}"},
    {Failure::empty_path, "{} path is empty"},
    {Failure::cannot_be_opened, "{} cannot be opened"},
    {Failure::cannot_be_reached, "{} cannot be reached"},
    {Failure::cannot_be_loaded, "{} cannot be loaded"},
    {Failure::cannot_be_coded, "{} cannot be coded"},
    {Failure::cannot_be_decoded, "{} cannot be decoded"},
    {Failure::cannot_be_copied, "{} cannot be copied to {}"},
    {Failure::not_a_document, "{} cannot be read as a document"},
    {Failure::out_of_range, "{} of {}", "{} cannot be had"},
    {Failure::too_long, "{} refused ({})"},
    {Failure::too_few_rows, "too few rows to code"},
    {Failure::not_a_window, "{} is no window"},
    {Failure::minimised, "{} is minimised"},
    {Failure::not_visible, "{} is not visible"},
    {Failure::needs_a_structure, "{} takes a structure, which no number can stand for"},
    {Failure::cannot_be_added, "{} cannot be added"},
    {Failure::not_in_this_build, "this build has no {}: {} does nothing"},
    {Failure::failed, "{} failed: {}"},
    {Failure::is_the_input, "{} is {} itself"},
};

std::string_view phrase_of(Failed failed) {
    for (const Phrase& phrase : phrases) {
        if (phrase.failure != failed.kind) continue;
        return *failed.detail == '\0' && phrase.without_detail != nullptr ? phrase.without_detail : phrase.text;
    }
    return "{} failed";
}

// The reason: the phrase with the subject and the detail put in, and after it the system's error
// where the failure carries one (": error 28: No space left on device").
std::string reason(bool utf8, Failed failed, const char* subject_format, std::va_list arguments) {
    std::va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, subject_format, copy);
    va_end(copy);
    std::string subject(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::vsnprintf(subject.data(), subject.size() + 1, subject_format, arguments);

    const std::string_view phrase = phrase_of(failed);
    std::string text;
    const char* parts[] = {subject.c_str(), failed.detail};
    std::size_t part = 0;
    for (std::size_t at = 0; at < phrase.size(); ++at) {
        if (phrase.substr(at, 2) == "{}") {
            if (part == 1 && *failed.detail == '\0' && text.ends_with(": ")) text.resize(text.size() - 2);
            if (part < 2) text += parts[part++];
            ++at;
        } else {
            text += phrase[at];
        }
    }
    if (failed.system_error != 0) {
        const std::string error = trace::system_error_text(failed.system_error);
        text += ": " + (utf8 ? trace::utf8(error) : error);
    }
    return text;
}

// Writes the reason as the trace's stop line; a reason that cannot be had for lack of memory is
// left out (the trace never changes what a run does).
int write_stop(bool utf8, Failed failed, const char* subject_format, std::va_list arguments) noexcept {
    try {
        const std::string text = reason(utf8, failed, subject_format, arguments);
        return utf8 ? trace::utf8_stop("%s", text.c_str()) : trace::stop("%s", text.c_str());
    } catch (...) {
        return 0;
    }
}

}  // namespace

int stop(Failed failed, const char* subject_format, ...) noexcept {
    if (!trace::on()) return 0;
    std::va_list arguments;
    va_start(arguments, subject_format);
    const int result = write_stop(false, failed, subject_format, arguments);
    va_end(arguments);
    return result;
}

int utf8_stop(Failed failed, const char* subject_format, ...) noexcept {
    if (!trace::on()) return 0;
    std::va_list arguments;
    va_start(arguments, subject_format);
    const int result = write_stop(true, failed, subject_format, arguments);
    va_end(arguments);
    return result;
}

}  // namespace korvif
