// S2F on arbitrary SFF bytes: the document written is always a well-formed fax document.
#include "faxdoc/document.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    const std::string sff = fuzz::scratch_file("in.sff");
    const std::string kvd = fuzz::scratch_file("out.kvd");
    fuzz::write_file(sff, data, size);
    fuzz::remove(kvd);
    fuzz::run("S2F:0," + sff + "," + kvd);
    const bool written = fuzz::exists(kvd);
    FUZZ_CHECK(written == (size >= 20));
    if (!written) return 0;
    const fuzz::Bytes document = fuzz::read_file(kvd);
    FUZZ_CHECK(document.size() >= document_header_size);
    const std::uint32_t pages = document[page_count_offset];
    // Every page recorded starts inside the file, in order.
    std::uint32_t previous = 0;
    for (std::uint32_t k = 0; k < pages; ++k) {
        const std::uint32_t start = document[512 + 4 * k] | (document[513 + 4 * k] << 8) |
                                    (document[514 + 4 * k] << 16) |
                                    (static_cast<std::uint32_t>(document[515 + 4 * k]) << 24);
        FUZZ_CHECK(start >= previous && start <= document.size());
        previous = start;
    }
    return 0;
}
