#include "faxdoc/pdf_pages.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "codec/mh_tables.h"

namespace korvif {

namespace {

constexpr std::uint32_t horizontal_dpi = 204;
constexpr std::uint32_t points_per_inch = 72;
// PDF readers take no page side longer than 14,400 units (200 inches at the default unit).
constexpr std::uint32_t longest_side_inches = 200;

constexpr std::uint32_t catalog_object = 1;
constexpr std::uint32_t page_tree_object = 2;
constexpr std::uint32_t objects_per_page = 3;  // the page, its content, its image

std::uint32_t vertical_dpi(const ImagePage& page) { return page.fine ? 196 : 98; }

// The unit of a page's user space in points: 1, or the smallest whole number that brings its
// longer side (always its length: its width is 8.47 inches) within 200 inches of that unit.
std::uint32_t user_unit(const ImagePage& page) {
    const std::uint32_t most_lines = longest_side_inches * vertical_dpi(page);
    return std::max(1u, (page.lines + most_lines - 1) / most_lines);
}

// pixels at dpi in units of `unit` points, with four decimals, the same on every system.
std::string length(std::uint32_t pixels, std::uint32_t dpi, std::uint32_t unit) {
    const std::uint64_t divisor = std::uint64_t {dpi} * unit;
    // At most 65,536 lines at 98 per inch: 481,449,796 ten-thousandths of a point.
    const auto ten_thousandths =
        static_cast<unsigned>((std::uint64_t {pixels} * points_per_inch * 20000 + divisor) / (2 * divisor));
    char text[32];
    std::snprintf(text, sizeof text, "%u.%04u", ten_thousandths / 10000, ten_thousandths % 10000);
    return text;
}

template <typename... Values>
std::string format(const char* pattern, Values... values) {
    const int size = std::snprintf(nullptr, 0, pattern, values...);
    std::string text(static_cast<std::size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, pattern, values...);
    return text;
}

}  // namespace

Outcome<void> PdfPages::put_object(std::uint32_t number, std::string_view text) {
    if (offsets_.size() < number) offsets_.resize(number, 0);
    if (position() == 0) {
        // The comment's bytes above 127 tell transfer programs that the file is binary.
        if (const Outcome<void> header = put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"); !header) return header;
    }
    offsets_[number - 1] = position();
    if (const Outcome<void> head = put(format("%u 0 obj\n", number)); !head) return head;
    return put(text);
}

Outcome<void> PdfPages::put_page(const ImagePage& page) {
    const std::uint32_t first = page_tree_object + 1 + objects_per_page * pages_;
    const std::uint32_t unit = user_unit(page);
    user_unit_ = user_unit_ || unit > 1;
    const std::string width = length(mh::line_pixels, horizontal_dpi, unit);
    const std::string height = length(page.lines, vertical_dpi(page), unit);
    const std::string unit_entry = unit > 1 ? format(" /UserUnit %u", unit) : std::string();
    const std::string page_object = format(
        "<< /Type /Page /Parent %u 0 R /MediaBox [0 0 %s %s]%s /Resources << /XObject << /Im1 %u 0 R >> >> "
        "/Contents %u 0 R >>\nendobj\n",
        page_tree_object, width.c_str(), height.c_str(), unit_entry.c_str(), first + 2, first + 1);
    const std::string content = format("q %s 0 0 %s 0 0 cm /Im1 Do Q", width.c_str(), height.c_str());
    const std::string content_object = format("<< /Length %u >>\nstream\n%s\nendstream\nendobj\n",
                                              static_cast<unsigned>(content.size()), content.c_str());
    const std::string image_head = format(
        "<< /Type /XObject /Subtype /Image /Width %d /Height %u /ColorSpace /DeviceGray /BitsPerComponent 1 "
        "/Filter /CCITTFaxDecode /DecodeParms << /K 0 /EndOfLine true /EncodedByteAlign true /Columns %d /Rows %u "
        "/BlackIs1 false >> /Length %u >>\nstream\n",
        mh::line_pixels, page.lines, mh::line_pixels, page.lines, static_cast<unsigned>(page.data.size()));
    Outcome<void> done = put_object(first, page_object);
    if (done) done = put_object(first + 1, content_object);
    if (done) done = put_object(first + 2, image_head);
    if (done) done = put(page.data);
    if (done) done = put("\nendstream\nendobj\n");
    if (!done) return done;
    ++pages_;
    return {};
}

Outcome<void> PdfPages::finish() {
    std::string kids;
    for (std::uint32_t page = 0; page < pages_; ++page) {
        kids += format("%s%u 0 R", page == 0 ? "" : " ", page_tree_object + 1 + objects_per_page * page);
    }
    const std::string catalog =
        format("<< /Type /Catalog /Pages %u 0 R%s >>\nendobj\n", page_tree_object, user_unit_ ? " /Version /1.6" : "");
    const std::string tree = format("<< /Type /Pages /Kids [%s] /Count %u >>\nendobj\n", kids.c_str(), pages_);
    if (const Outcome<void> put_catalog = put_object(catalog_object, catalog); !put_catalog) return put_catalog;
    if (const Outcome<void> put_tree = put_object(page_tree_object, tree); !put_tree) return put_tree;
    const std::uint32_t table = position();
    const auto object_count = static_cast<unsigned>(offsets_.size() + 1);  // object 0 included
    std::string xref = format("xref\n0 %u\n0000000000 65535 f \n", object_count);
    for (const std::uint32_t offset : offsets_) xref += format("%010u 00000 n \n", offset);
    xref +=
        format("trailer\n<< /Size %u /Root %u 0 R >>\nstartxref\n%u\n%%%%EOF\n", object_count, catalog_object, table);
    return put(xref);
}

}  // namespace korvif
