#include "commands/pages_to_images.h"

#include <algorithm>
#include <optional>

#include "command/arguments.h"
#include "command/stop.h"
#include "faxdoc/document.h"
#include "faxdoc/file_sinks.h"
#include "faxdoc/image_page_data.h"
#include "platform/files/file.h"
#include "platform/replace/replacement.h"
#include "platform/trace/trace.h"

namespace korvif {

namespace {

// The output file, made when the first page is ready: a range without a page leaves an existing
// output as it was.
struct ImageOutput {
    ImageOutput(const char* path, MakeImagePagesWriter make_writer)
        : file(path), sink(file), writer(make_writer(sink)) {}

    platform::FileReplacement file;
    BufferedReplacementSink sink;
    std::unique_ptr<ImagePagesWriter> writer;
};

// The pages' file, complete, in the output's place.
Outcome<void> finish(ImageOutput& output) {
    if (const Outcome<void> finished = output.writer->finish(); !finished) return finished;
    const std::span<const std::uint8_t> start = output.writer->start();
    if (const Outcome<void> flushed =
            start.empty() ? output.sink.finish() : output.sink.finish_with_start(start.data(), start.size());
        !flushed)
        return flushed;
    return output.file.commit();
}

}  // namespace

int run_pages_to_images(char* arguments, MakeImagePagesWriter make_writer) {
    const Fields fields = split_fields(arguments, "...*");
    if (!fields) return fields.stop();
    const PagesToImages request {.first = read_number(fields[1]),
                                 .last = read_number(fields[2]),
                                 .document = fields[3],
                                 .output = fields.output};
    if (*request.document == '\0') return stop(Failure::empty_path, "the document");
    trace::line("pages %d to %d, document \"%s\", output \"%s\"", request.first, request.last, request.document,
                request.output);

    if (!platform::file_exists(request.document)) return stop(Failure::not_found, "the document");
    // A PDF or TIFF file over the document would lose the fax: a mistyped output is refused.
    if (platform::same_file(request.document, request.output))
        return stop({Failure::is_the_input, "the document"}, "the output");
    Outcome<OpenedDocument> document = open_document(request.document, platform::FileMode::read_shared);
    if (!document) return stop(Failure::cannot_be_read, "the document");
    // Clamped as F2S clamps them; numbers beyond 2^31 were given as negative ones.
    const std::uint32_t first = std::max(static_cast<std::uint32_t>(request.first), 1u);
    const std::uint32_t last = std::min(static_cast<std::uint32_t>(request.last), document->page_count());
    std::optional<ImageOutput> output;
    for (std::uint32_t page = first; page <= last; ++page) {
        const Outcome<ImagePageData> data = image_page_data(*document, page);
        if (!data && data.failure() == Failure::empty) {
            trace::line("page %u left out: %s", page, data.failed().detail);
            continue;
        }
        if (!data) return stop(data.failed(), "page %u", page);
        if (!output) {
            output.emplace(request.output, make_writer);
            if (!output->file.good()) return stop(Failure::cannot_be_written, "the output");
        }
        const Outcome<void> put = output->writer->put_page(
            {.data = data->data(), .lines = data->lines(), .fine = document->fine_flag() != 0});
        if (!put) return stop(put.failed(), "the output");
        trace::line("page %u: %u lines, %u bytes %s", page, data->lines(), static_cast<unsigned>(data->data().size()),
                    data->recoded() ? "coded again" : "as they stand");
    }
    if (!output) return stop(Failure::absent, "page with a line in %d..%d", request.first, request.last);
    if (const Outcome<void> finished = finish(*output); !finished) return stop(finished.failed(), "the output");
    return 0;
}

}  // namespace korvif
