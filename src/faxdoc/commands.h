// The fax conversion commands; each takes the argument text after its keyword.
#pragma once

namespace korvif {

int run_sff_to_document(char* arguments);      // S2F:
int run_document_to_sff(char* arguments);      // F2S:
int run_document_page_to_bmp(char* arguments); // F2D:
int run_bmp_to_fax_data(char* arguments);      // D2F:
int run_change_resolution(char* arguments);    // RES:

}  // namespace korvif
