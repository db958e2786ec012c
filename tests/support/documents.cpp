#include "support/documents.h"

namespace korvif::test {

Bytes make_document(const std::vector<Bytes>& pages, std::uint8_t fine_flag, bool end_entry) {
    Bytes document(1536, 0);
    const char* maker = "Korvane         3.0             ";
    std::copy(maker, maker + 32, document.begin());
    document[32] = 2;
    document[288] = static_cast<std::uint8_t>(pages.size());
    document[289] = fine_flag;
    std::size_t index = 0;
    auto set_entry = [&](std::size_t entry, std::size_t offset) {
        for (int i = 0; i < 4; ++i) document[512 + 4 * entry + i] = static_cast<std::uint8_t>(offset >> (8 * i));
    };
    for (const Bytes& page : pages) {
        set_entry(index++, document.size());
        append(document, page);
    }
    if (end_entry) set_entry(index, document.size());
    return document;
}

Bytes page_bytes(const Bytes& document, int n) {
    const std::uint32_t start = u32_at(document, 512 + 4 * static_cast<std::size_t>(n - 1));
    std::uint32_t end = u32_at(document, 512 + 4 * static_cast<std::size_t>(n));
    if (end == 0 || end > document.size()) end = static_cast<std::uint32_t>(document.size());
    return Bytes(document.begin() + start, document.begin() + end);
}

}  // namespace korvif::test
