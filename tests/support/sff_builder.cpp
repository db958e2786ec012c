#include "support/sff_builder.h"

namespace korvif::test {

SffBuilder::SffBuilder(std::uint16_t first_page_offset, const char* identification) {
    bytes_.assign(identification, identification + 4);
    // clang-format off
    Bytes rest = {1, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(first_page_offset),
                  static_cast<std::uint8_t>(first_page_offset >> 8), 0, 0, 0, 0, 0, 0, 0, 0};
    append(bytes_, rest);
}

SffBuilder& SffBuilder::page(std::uint8_t vertical_resolution, std::uint8_t header_length, std::uint16_t line_length) {
    Bytes record = {254, header_length, vertical_resolution, 0, 0, 0, static_cast<std::uint8_t>(line_length),
                    static_cast<std::uint8_t>(line_length >> 8), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    // clang-format on
    for (int extra = 16; extra < header_length; ++extra) record.push_back(0xEE);
    append(bytes_, record);
    return *this;
}

SffBuilder& SffBuilder::line(const Bytes& codes) {
    if (codes.size() > 216 || codes.empty()) return long_line(codes);
    bytes_.push_back(static_cast<std::uint8_t>(codes.size()));
    append(bytes_, codes);
    return *this;
}

SffBuilder& SffBuilder::long_line(const Bytes& codes) {
    bytes_.push_back(0);
    bytes_.push_back(static_cast<std::uint8_t>(codes.size()));
    bytes_.push_back(static_cast<std::uint8_t>(codes.size() >> 8));
    append(bytes_, codes);
    return *this;
}

SffBuilder& SffBuilder::blank_lines(int count) {
    bytes_.push_back(static_cast<std::uint8_t>(216 + count));
    return *this;
}

SffBuilder& SffBuilder::faulty_line() {
    append(bytes_, {255, 0});
    return *this;
}

SffBuilder& SffBuilder::other_information(const Bytes& information) {
    bytes_.push_back(255);
    bytes_.push_back(static_cast<std::uint8_t>(information.size()));
    append(bytes_, information);
    return *this;
}

SffBuilder& SffBuilder::end_of_document() {
    append(bytes_, {254, 0});
    return *this;
}

SffBuilder& SffBuilder::raw(const Bytes& bytes) {
    append(bytes_, bytes);
    return *this;
}

}  // namespace korvif::test
