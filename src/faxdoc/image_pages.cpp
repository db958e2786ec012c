#include "faxdoc/image_pages.h"

#include "platform/files/file.h"

namespace korvif {

Outcome<void> ImagePagesWriter::put(std::span<const std::uint8_t> bytes) {
    // Offsets in both formats are 32-bit; files stay below the size limit of every file here.
    if (bytes.size() >= platform::size_limit - position_) return Failed(Failure::too_large, "2 GB");
    if (!out_.put(bytes.data(), bytes.size())) return Failure::cannot_be_written;
    position_ += static_cast<std::uint32_t>(bytes.size());
    return {};
}

Outcome<void> ImagePagesWriter::put(std::string_view text) {
    return put(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace korvif
