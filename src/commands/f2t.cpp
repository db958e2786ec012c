// F2T: a range of pages of a fax document as a multi-page TIFF file (Class F).
#include "commands/commands.h"
#include "commands/pages_to_images.h"
#include "faxdoc/tiff_pages.h"

namespace korvif {

// F2T:first page,last page,document path,output path ("*" stands for the document's directory)
int run_document_to_tiff(char* arguments) {
    return run_pages_to_images(
        arguments, [](ByteSink& out) -> std::unique_ptr<ImagePagesWriter> { return std::make_unique<TiffPages>(out); });
}

}  // namespace korvif
