// The file commands; each takes the argument text after its keyword. One file per command (INV
// and ROT share theirs); the libraries below do the work.
#pragma once

namespace korvif {

int run_sff_to_document(char* arguments);       // S2F:  s2f.cpp
int run_document_to_sff(char* arguments);       // F2S:  f2s.cpp
int run_document_page_to_bmp(char* arguments);  // F2D:  f2d.cpp
int run_bmp_to_fax_data(char* arguments);       // D2F:  d2f.cpp
int run_change_resolution(char* arguments);     // RES:  res.cpp
int run_invert(char* arguments);                // INV:  inv_rot.cpp
int run_rotate(char* arguments);                // ROT:  inv_rot.cpp
int run_scale(char* arguments);                 // SCL:  scl.cpp
int run_document_to_pdf(char* arguments);       // F2P:  f2p.cpp
int run_document_to_tiff(char* arguments);      // F2T:  f2t.cpp

}  // namespace korvif
