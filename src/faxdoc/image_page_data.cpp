#include "faxdoc/image_page_data.h"

#include <algorithm>

#include "codec/bit_order.h"
#include "codec/clean_page.h"
#include "codec/mh_tables.h"
#include "codec/page_decoder.h"
#include "codec/raster_encoder.h"

namespace korvif {

Outcome<ImagePageData> image_page_data(OpenedDocument& document, std::uint32_t n) {
    Outcome<MemoryBlock> bytes = read_page(document, n);
    if (!bytes && bytes.failure() == Failure::empty) return Failed(Failure::empty, "no data");
    if (!bytes) return bytes.failed();
    const std::span<const std::uint8_t> data(bytes->data(), document_page_range(document, n).length);
    // A clean page's lines are the ones F2D draws (the fuzz target of decode_page holds them to
    // it): copied without decoding.
    if (const std::optional<CleanPage> clean = clean_page(data); clean && clean->lines > 0) {
        // The last line's EOL and the RTC as the encoder writes them.
        const std::uint32_t length = clean->bytes + mh::aligned_eol.size() + mh::rtc_bytes.size();
        if (!bytes->resize(length)) return Failure::no_memory;
        std::uint8_t* end = std::copy(mh::aligned_eol.begin(), mh::aligned_eol.end(), bytes->data() + clean->bytes);
        std::copy(mh::rtc_bytes.begin(), mh::rtc_bytes.end(), end);
        mh::reverse_bit_order(std::span(bytes->data(), length));
        return ImagePageData(std::move(*bytes), length, clean->lines);
    }
    // The lines as F2D draws them, each once.
    const Outcome<DecodedPage> decoded = decode_page(data);
    if (!decoded && decoded.failure() == Failure::no_memory) return Failure::no_memory;
    if (!decoded || decoded->lines() == 0) return Failed(Failure::empty, "no line");
    MemorySink coded;
    if (!encode_raster(decoded->raster_rows(), coded)) return Failure::no_memory;
    mh::reverse_bit_order(coded.data);
    return ImagePageData(std::move(coded.data), decoded->lines());
}

}  // namespace korvif
