// F2P: a range of pages of a fax document as a PDF file.
#include "commands/commands.h"
#include "commands/pages_to_images.h"
#include "faxdoc/pdf_pages.h"

namespace korvif {

// F2P:first page,last page,document path,output path ("*" stands for the document's directory)
int run_document_to_pdf(char* arguments) {
    return run_pages_to_images(
        arguments, [](ByteSink& out) -> std::unique_ptr<ImagePagesWriter> { return std::make_unique<PdfPages>(out); });
}

}  // namespace korvif
