// The Linux build: the command text is the program's arguments joined with single blanks. A
// person at a terminal who gives no known command (or --help) gets a short usage text on standard
// error; the Windows program stays silent, as its host expects.
#include <cstdio>
#include <string>

#include "app/dispatch.h"

namespace {

constexpr const char* usage = R"(usage: korvif32 'KEYWORD:field,field,...'
One command per run; nothing is reported and the exit code is always 0.
  S2F:number,SFF file,document            SFF file to fax document (.kvd)
  F2S:number,first page,last page,document,directory prefix
                                          pages to the SFF file <prefix>~isdnfax.sff
  F2D:page,options,document,BMP file      one page to a BMP file (options 1: no trailing white)
  F2P:first page,last page,document,PDF file
                                          pages to a PDF file
  F2T:first page,last page,document,TIFF file
                                          pages to a multi-page TIFF file (Class F)
  D2F:resolution,BMP file,MH data file    1-bit BMP file to MH data (0 normal, else fine)
  RES:document,output document            normal resolution to fine or back
  INV:BMP file[,output BMP file]          invert
  ROT:quarter turns,BMP file[,output]     turn clockwise by 1 to 3 quarter turns
  SCL:flags,width,height,BMP file,output  scale (flags 0: 1-bit, 1: grey, 3: 64 greys)
A "*" that begins the output path of F2D, F2P, F2T or SCL stands for the input's directory.
STI, STM, INFO, FDOPEN, FDSAVE, HELP and INSTALLFAXPRINTER do nothing in this build.
To see what a run did: KORVIF_TRACE=/dev/stderr korvif32 '...'  (docs/host-interface.md: commands in full)
)";

}  // namespace

int main(int argc, char** argv) {
    std::string command_text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) command_text += ' ';
        command_text += argv[i];
    }
    if (command_text == "--help" || korvif::find_command(command_text.c_str()) == nullptr) std::fputs(usage, stderr);
    return korvif::dispatch_command(nullptr, nullptr, command_text.data(), 1);
}
