// decode_page on arbitrary MH data (first byte: doubling and trim) is exactly what the plain
// reference decoder, a code or a bit per step, makes of it. Under libFuzzer inputs stay under
// 17 KB, which still lets pages of 16 KB and more be decoded in two halves, so that the slow
// reference keeps the rate of executions up. Shares the corpus of fuzz_decode_page.
#include <cstring>

#include "codec/page_decoder.h"
#include "image/page_bitmap.h"
#include "fuzz_support.h"
#include "support/reference_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    if (size < 1 || fuzz::beyond_fuzzing_limit(size > 17 * 1024)) return 0;
    const DecodeOptions options {.double_lines = (data[0] & 1) != 0, .trim_trailing_white = (data[0] & 2) != 0};
    const auto length = static_cast<std::int32_t>(size - 1);
    if (length < 8) return 0;
    const Outcome<PackedBitmap> page = page_bitmap(*decode_page(std::span(data + 1, size - 1), options));
    const std::vector<std::uint8_t> expected = test::reference_decode_page(data + 1, length, options);
    FUZZ_CHECK(page && page->size() == expected.size() &&
               std::memcmp(page->data(), expected.data(), expected.size()) == 0);
    return 0;
}
