#include "faxdoc/tiff_pages.h"

#include "codec/mh_tables.h"

namespace korvif {

namespace {

// clang-format off
enum : std::uint16_t { short_type = 3, long_type = 4, rational_type = 5 };

struct Field {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
};

// The fields of each image, in the ascending order of their tags that TIFF requires; their values
// are set in directory().
constexpr Field image_fields[] = {
    {254, long_type, 1},      // NewSubfileType: 2, a page of a multi-page document
    {256, short_type, 1},     // ImageWidth: 1728
    {257, long_type, 1},      // ImageLength: the page's lines
    {258, short_type, 1},     // BitsPerSample: 1
    {259, short_type, 1},     // Compression: 3, Group 3 (T.4)
    {262, short_type, 1},     // PhotometricInterpretation: 0, white is zero
    {266, short_type, 1},     // FillOrder: 1, the first bit in the most significant
    {273, long_type, 1},      // StripOffsets
    {277, short_type, 1},     // SamplesPerPixel: 1
    {278, long_type, 1},      // RowsPerStrip: the page's lines, one strip
    {279, long_type, 1},      // StripByteCounts
    {282, rational_type, 1},  // XResolution: 204
    {283, rational_type, 1},  // YResolution: 98 or 196
    {292, long_type, 1},      // T4Options: 4, fill bits before the EOLs (byte-aligned), one-dimensional
    {296, short_type, 1},     // ResolutionUnit: 2, inch
    {297, short_type, 2},     // PageNumber: the position from 0, the number of pages
};
// clang-format on

constexpr std::size_t field_count = std::size(image_fields);
// The count, the fields, the next directory's offset, then the two resolutions' rationals.
constexpr std::uint32_t directory_bytes = 2 + 12 * field_count + 4 + 2 * 8;
static_assert(directory_bytes % 2 == 0, "directories begin on a word boundary");

void put_le(std::uint8_t* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

Outcome<void> TiffPages::put_page(const ImagePage& page) {
    if (position() == 0) {
        if (const Outcome<void> header = put(header_); !header) return header;
    }
    strips_.push_back({position(), static_cast<std::uint32_t>(page.data.size()), page.lines, page.fine});
    if (const Outcome<void> strip = put(page.data); !strip) return strip;
    // Each directory and value that follows begins on a word boundary.
    if (position() % 2 != 0) return put(std::span(header_.data() + 7, 1));  // a 0 byte
    return {};
}

Outcome<void> TiffPages::finish() {
    if (strips_.empty()) return {};
    put_le(header_.data() + 4, position(), 4);
    const auto total = static_cast<std::uint32_t>(strips_.size());
    for (std::uint32_t index = 0; index < total; ++index) {
        const Strip& strip = strips_[index];
        const std::uint32_t at = position();
        const std::uint32_t rationals = at + directory_bytes - 16;
        // clang-format off
        const std::uint32_t values[field_count] = {
            2, mh::line_pixels, strip.lines, 1, 3, 0, 1, strip.offset, 1, strip.lines, strip.bytes,
            rationals, rationals + 8, 4, 2, index | total << 16};
        // clang-format on
        std::array<std::uint8_t, directory_bytes> directory {};
        put_le(directory.data(), field_count, 2);
        for (std::size_t i = 0; i < field_count; ++i) {
            std::uint8_t* entry = directory.data() + 2 + 12 * i;
            put_le(entry, image_fields[i].tag, 2);
            put_le(entry + 2, image_fields[i].type, 2);
            put_le(entry + 4, image_fields[i].count, 4);
            put_le(entry + 8, values[i], 4);
        }
        put_le(directory.data() + 2 + 12 * field_count, index + 1 < total ? at + directory_bytes : 0, 4);
        const std::uint32_t resolutions[4] = {204, 1, strip.fine ? 196u : 98u, 1};
        for (int i = 0; i < 4; ++i) put_le(directory.data() + directory_bytes - 16 + 4 * i, resolutions[i], 4);
        if (const Outcome<void> put_directory = put(directory); !put_directory) return put_directory;
    }
    return {};
}

}  // namespace korvif
