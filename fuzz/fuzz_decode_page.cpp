// decode_page on arbitrary MH data, with the doubling and trim flags taken from the first byte:
// the page is exactly what the plain reference decoder (a code or a bit per step) makes of the
// data, and coding it again and decoding that gives the same page.
#include <cstring>

#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "fuzz_support.h"
#include "support/reference_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    if (size < 1) return 0;
    const std::uint8_t double_lines = data[0] & 1;
    const int trim = (data[0] >> 1) & 1;
    const auto length = static_cast<std::int32_t>(size - 1);
    PackedBitmap page = decode_page(data + 1, length, double_lines, trim);
    if (length < 8) {
        FUZZ_CHECK(!page);
        return 0;
    }
    FUZZ_CHECK(page);
    const std::vector<std::uint8_t> expected = test::reference_decode_page(data + 1, length, double_lines, trim);
    FUZZ_CHECK(page.size() == expected.size() && std::memcmp(page.data(), expected.data(), expected.size()) == 0);
    FUZZ_CHECK(bitmap_width(page) == 1728);
    const std::int32_t rows = bitmap_height(page);
    FUZZ_CHECK(rows >= 0 && rows <= 2 * max_page_lines);
    FUZZ_CHECK(page.size() == 48u + 216u * static_cast<std::size_t>(rows));
    if (double_lines) FUZZ_CHECK(rows % 2 == 0);
    if (rows == 0) return 0;

    // Code every row again (the bitmap stays as it is) and decode: the same rows come back.
    MemorySink sink;
    const std::uint32_t written = encode_raster(page, sink, ENCODE_RTC | ENCODE_EVERY_ROW | ENCODE_SKIP_HEADER);
    const fuzz::Bytes& coded = sink.data;
    FUZZ_CHECK(written == coded.size());
    PackedBitmap again = decode_page(coded.data(), static_cast<std::int32_t>(coded.size()), 0, 0);
    FUZZ_CHECK(again && again.size() == page.size());
    FUZZ_CHECK(std::memcmp(again.data() + 48, page.data() + 48, page.size() - 48) == 0);
    return 0;
}
