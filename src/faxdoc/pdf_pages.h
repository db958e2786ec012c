// Fax pages as a PDF file: each page one image, its MH data as CCITTFaxDecode reads it.
#pragma once

#include <vector>

#include "faxdoc/image_pages.h"

namespace korvif {

// The file has no date and no /ID: the same pages give the same bytes. Each page has its true
// size, 1728 pixels at 204 per inch across and each line 1/98 or 1/196 inch; a page whose longer
// side passes PDF's 200 inches is drawn at a /UserUnit (PDF 1.6) of 2, 3 or 4 points, the
// smallest that brings it within them.
class PdfPages final : public ImagePagesWriter {
public:
    explicit PdfPages(ByteSink& out) : ImagePagesWriter(out) {}
    Outcome<void> put_page(const ImagePage& page) override;
    Outcome<void> finish() override;

private:
    Outcome<void> put_object(std::uint32_t number, std::string_view text);

    std::vector<std::uint32_t> offsets_;  // of objects 1, 2, ...; 0 until the object is put
    std::uint32_t pages_ = 0;
    bool user_unit_ = false;
};

}  // namespace korvif
