// recode_page_to_sff on arbitrary MH data: what it writes is a sequence of well-formed SFF line
// records, and S2F takes them back into a document.
#include "codec/sff_recoder.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvif;
    MemorySink sink;
    recode_page_to_sff(std::span(data, size), sink);
    const fuzz::Bytes& records = sink.data;
    if (size < 3) FUZZ_CHECK(records.empty());
    std::size_t at = 0;
    while (at < records.size()) {
        const std::uint8_t type = records[at++];
        if (type == 0) {
            FUZZ_CHECK(at + 2 <= records.size());
            const std::size_t length = records[at] | (records[at + 1] << 8);
            FUZZ_CHECK(length > 216 && length <= 1008);
            at += 2 + length;
        } else if (type <= 216) {
            at += type;
        } else {
            FUZZ_CHECK(type <= 253);
        }
        FUZZ_CHECK(at <= records.size());
    }
    return 0;
}
