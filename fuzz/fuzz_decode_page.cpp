// decode_page on arbitrary MH data, with the doubling and trim flags taken from the first byte:
// the page's bitmap has its form, and coding the page again and decoding that gives the same
// page. (The comparison with the reference decoder, which is slow, is fuzz_decode_reference.)
#include <cstring>

#include "codec/clean_page.h"
#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"
#include "image/page_bitmap.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    // Up to 8 KB, so that the rate of executions stays up; pages of 16 KB and more, decoded in
    // two halves, are fuzz_decode_reference's.
    if (size < 1 || fuzz::beyond_fuzzing_limit(size > 8 * 1024)) return 0;
    const DecodeOptions options {.double_lines = (data[0] & 1) != 0, .trim_trailing_white = (data[0] & 2) != 0};
    const auto length = static_cast<std::int32_t>(size - 1);
    const Outcome<DecodedPage> decoded = decode_page(std::span(data + 1, size - 1), options);
    if (length < 8) {
        FUZZ_CHECK(!decoded && decoded.failure() == Failure::too_short);
        return 0;
    }
    FUZZ_CHECK(decoded);
    // A page that F2P and F2T copy as it stands has the lines that the decoder makes of it.
    const std::optional<CleanPage> clean = clean_page(std::span(data + 1, size - 1));
    if (clean && !options.trim_trailing_white) FUZZ_CHECK(clean->lines == decoded->lines());
    Outcome<PackedBitmap> bitmap = page_bitmap(*decoded);
    FUZZ_CHECK(bitmap);
    const PackedBitmap& page = *bitmap;
    FUZZ_CHECK(page.width() == 1728);
    const std::int32_t rows = page.height();
    FUZZ_CHECK(rows >= 0 && rows <= 2 * max_page_lines);
    FUZZ_CHECK(page.size() == 48u + 216u * static_cast<std::size_t>(rows));
    if (options.double_lines) FUZZ_CHECK(rows % 2 == 0);
    if (rows == 0) return 0;

    // Code every row again, read where the decoder left the lines, and decode: the same rows come
    // back.
    MemorySink sink;
    const Outcome<std::uint32_t> written = encode_raster(decoded->raster_rows(), sink);
    const fuzz::Bytes& coded = sink.data;
    FUZZ_CHECK(written && *written == coded.size());
    // The encoder's pages (of no more lines than the decoder keeps) are copied as they stand.
    const std::optional<CleanPage> coded_clean = clean_page(coded);
    FUZZ_CHECK(rows > max_page_lines || (coded_clean && coded_clean->lines == rows));
    const Outcome<DecodedPage> decoded_again = decode_page(coded);
    FUZZ_CHECK(decoded_again);
    const Outcome<PackedBitmap> again = page_bitmap(*decoded_again);
    FUZZ_CHECK(again && again->size() == page.size());
    FUZZ_CHECK(std::memcmp(again->data() + 48, page.data() + 48, page.size() - 48) == 0);
    return 0;
}
