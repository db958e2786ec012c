// F2D, F2S, RES, F2P and F2T on arbitrary fax documents (header, page table and data all from the input;
// the first byte picks the page and options).
#include "faxdoc/document.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    // Under libFuzzer, documents of up to 3 KB (1.5 KB of page data): RES codes every page again,
    // and larger pages of garbage slow every run several times over.
    if (size < 1 || fuzz::beyond_fuzzing_limit(size > 3 * 1024)) return 0;
    const unsigned page = data[0] % 5;
    const unsigned options = data[0] >> 7;
    const std::string kvd = fuzz::scratch_file("doc.kvd");
    const std::string bmp = fuzz::scratch_file("page.bmp");
    const std::string sff = fuzz::scratch_file("~isdnfax.sff");
    const std::string res = fuzz::scratch_file("res.kvd");
    const std::string pdf = fuzz::scratch_file("pages.pdf");
    const std::string tiff = fuzz::scratch_file("pages.tif");
    fuzz::write_file(kvd, data + 1, size - 1);
    fuzz::remove(bmp);
    fuzz::remove(sff);
    fuzz::remove(res);
    fuzz::remove(pdf);
    fuzz::remove(tiff);

    fuzz::run("F2D:" + std::to_string(page) + "," + std::to_string(options) + "," + kvd + "," + bmp);
    if (size - 1 < minimum_document_size) FUZZ_CHECK(!fuzz::exists(bmp));
    fuzz::run("F2S:0,1," + std::to_string(page) + "," + kvd + "," + fuzz::scratch());
    if (size - 1 < minimum_document_size) FUZZ_CHECK(!fuzz::exists(sff));
    fuzz::run("F2P:1," + std::to_string(page) + "," + kvd + "," + pdf);
    fuzz::run("F2T:1," + std::to_string(page) + "," + kvd + "," + tiff);
    if (size - 1 < minimum_document_size) FUZZ_CHECK(!fuzz::exists(pdf) && !fuzz::exists(tiff));
    fuzz::run("RES:" + kvd + "," + res);
    if (fuzz::exists(res)) {
        const fuzz::Bytes changed = fuzz::read_file(res);
        FUZZ_CHECK(changed.size() >= document_header_size);
        FUZZ_CHECK(changed[page_count_offset] == data[1 + page_count_offset]);
    } else {
        FUZZ_CHECK(size - 1 < minimum_document_size);
    }
    return 0;
}
