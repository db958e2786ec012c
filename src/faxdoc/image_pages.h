// Fax pages in the files that people archive and mail faxes in (PDF, multi-page TIFF), written
// into a sink as the pages come: only each page's place and size are kept until the end.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "codec/byte_sink.h"
#include "platform/outcome.h"

namespace korvif {

// One page: MH data with the first bit of each byte in its most significant bit, each line after
// an EOL that ends on a byte boundary, the RTC at the end; its number of lines and resolution.
struct ImagePage {
    std::span<const std::uint8_t> data;
    std::uint32_t lines = 0;
    bool fine = false;  // 196 lines per inch, else 98
};

class ImagePagesWriter {
public:
    virtual ~ImagePagesWriter() = default;

    // Fails with too_large ("2 GB") when the file would reach 2 GB, with cannot_be_written once
    // the sink refused bytes; nothing is put after either.
    virtual Outcome<void> put_page(const ImagePage& page) = 0;
    // Puts what follows the last page, failing as put_page does.
    virtual Outcome<void> finish() = 0;
    // The bytes that go over the file's first bytes once everything is put (empty for none).
    virtual std::span<const std::uint8_t> start() const { return {}; }

protected:
    explicit ImagePagesWriter(ByteSink& out) : out_(out) {}

    // Where the next byte goes, counted from the file's start.
    std::uint32_t position() const { return position_; }
    Outcome<void> put(std::span<const std::uint8_t> bytes);
    Outcome<void> put(std::string_view text);

private:
    ByteSink& out_;
    std::uint32_t position_ = 0;
};

}  // namespace korvif
