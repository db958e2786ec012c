// Fax pages as a multi-page TIFF file of Class F: each page one image of Group 3 one-dimensional
// data with byte-aligned EOLs, in one strip.
#pragma once

#include <array>
#include <vector>

#include "faxdoc/image_pages.h"

namespace korvif {

// The strips go first, as the pages come; the images' directories follow the last page, each
// with the page's position and the number of pages (PageNumber), and the header's offset of the
// first directory is written last (start()).
class TiffPages final : public ImagePagesWriter {
public:
    explicit TiffPages(ByteSink& out) : ImagePagesWriter(out) {}
    Outcome<void> put_page(const ImagePage& page) override;
    Outcome<void> finish() override;
    std::span<const std::uint8_t> start() const override { return header_; }

private:
    struct Strip {
        std::uint32_t offset;
        std::uint32_t bytes;
        std::uint32_t lines;
        bool fine;
    };

    std::array<std::uint8_t, 8> header_ = {'I', 'I', 42, 0, 0, 0, 0, 0};
    std::vector<Strip> strips_;
};

}  // namespace korvif
