// A document's page made ready for a PDF or TIFF file (faxdoc/image_pages.h).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "faxdoc/document.h"
#include "platform/memory/memory_block.h"

namespace korvif {

class ImagePageData {
public:
    // The page's data as it stood, its first `length` bytes in use.
    ImagePageData(MemoryBlock data, std::uint32_t length, std::int32_t lines)
        : read_(std::move(data)), length_(length), lines_(lines) {}
    // The page coded again from its lines.
    ImagePageData(std::vector<std::uint8_t> coded, std::int32_t lines) : coded_(std::move(coded)), lines_(lines) {}

    // The first bit of each byte in its most significant bit.
    std::span<const std::uint8_t> data() const {
        return recoded() ? std::span<const std::uint8_t>(coded_) : std::span<const std::uint8_t>(read_.data(), length_);
    }
    std::uint32_t lines() const { return static_cast<std::uint32_t>(lines_); }
    bool recoded() const { return !read_; }

private:
    MemoryBlock read_;
    std::uint32_t length_ = 0;
    std::vector<std::uint8_t> coded_;
    std::int32_t lines_;
};

// Page n (from 1) of the document with exactly the lines that F2D draws of it: its data as it
// stands when it is a clean page (codec/clean_page.h), otherwise its decoded lines coded again
// by the encoder; the bits of each byte reversed in both. Fails with empty for a page without
// data or one that decodes to no line (the detail says which), with no_memory when the page or
// its lines cannot be had, or as read_page fails.
Outcome<ImagePageData> image_page_data(OpenedDocument& document, std::uint32_t n);

}  // namespace korvif
