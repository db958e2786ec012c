// Builds SFF files record by record for the tests.
#pragma once

#include "support/files.h"

namespace korvif::test {

class SffBuilder {
public:
    // The 20-byte document header with the given offset of the first page header.
    explicit SffBuilder(std::uint16_t first_page_offset = 20, const char* identification = "Sfff");

    SffBuilder& page(std::uint8_t vertical_resolution, std::uint8_t header_length = 16,
                     std::uint16_t line_length = 1728);
    SffBuilder& line(const Bytes& codes);       // short (1..216) or long form by length
    SffBuilder& long_line(const Bytes& codes);  // always the long form
    SffBuilder& blank_lines(int count);         // 1..37
    SffBuilder& faulty_line();
    SffBuilder& other_information(const Bytes& information);
    SffBuilder& end_of_document();
    SffBuilder& raw(const Bytes& bytes);

    const Bytes& bytes() const { return bytes_; }

private:
    Bytes bytes_;
};

}  // namespace korvif::test
