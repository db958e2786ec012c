// INSTALLFAXPRINTER: declares the port "FAX:" in WIN.INI, registers the driver and adds the printer
// "Korvane Faxdesk" on that port. Each step runs whatever the steps before it gave; a second run
// finds driver and printer in place and ends normally. The driver file is expected at its path.
#include <windows.h>
#include <winspool.h>

#include "command/stop.h"
#include "printer/commands.h"
#include "platform/trace/trace.h"
#include "printer/fax_printer.h"

namespace korvif {

namespace {

// The spooler's records take writable strings.
template <std::size_t N>
struct Text {
    char text[N];
    explicit Text(const char (&from)[N]) { CopyMemory(text, from, N); }
};

void enumerate_ports() {
    DWORD needed = 0;
    DWORD returned = 0;
    EnumPortsA(nullptr, 1, nullptr, 0, &needed, &returned);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, needed);
    if (block == nullptr) return;
    if (void* ports = GlobalLock(block)) {
        EnumPortsA(nullptr, 1, static_cast<LPBYTE>(ports), needed, &needed, &returned);
        GlobalUnlock(block);
    }
    GlobalFree(block);
}

}  // namespace

int run_install_fax_printer(char*) {
    WriteProfileStringA(fax_printer::port_section, fax_printer::port_name, "");
    enumerate_ports();

    Text name(fax_printer::printer_name);
    Text environment(fax_printer::driver_environment);
    Text driver_path(fax_printer::driver_file);
    Text data_file(fax_printer::driver_file);
    Text config_file(fax_printer::driver_file);
    DRIVER_INFO_2A driver {};
    driver.cVersion = fax_printer::driver_version;
    driver.pName = name.text;
    driver.pEnvironment = environment.text;
    driver.pDriverPath = driver_path.text;
    driver.pDataFile = data_file.text;
    driver.pConfigFile = config_file.text;
    if (AddPrinterDriverA(nullptr, 2, reinterpret_cast<LPBYTE>(&driver))) {
        trace::line("printer driver added");
    } else {
        trace::line("printer driver not added: %s", trace::system_error().c_str());
    }

    Text printer_name(fax_printer::printer_name);
    Text port(fax_printer::port_name);
    Text driver_name(fax_printer::printer_name);
    Text processor(fax_printer::print_processor);
    Text data_type(fax_printer::data_type);
    PRINTER_INFO_2A printer {};
    printer.pPrinterName = printer_name.text;
    printer.pPortName = port.text;
    printer.pDriverName = driver_name.text;
    printer.pPrintProcessor = processor.text;
    printer.pDatatype = data_type.text;
    HANDLE added = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    if (added == nullptr) {
        // A second run finds the printer in place: that is the end it should have.
        if (GetLastError() == ERROR_PRINTER_ALREADY_EXISTS) return trace::line("printer already installed"), 0;
        return stop({Failure::cannot_be_added, "", trace::system_error_number()}, "the printer");
    }
    trace::line("printer added");
    ClosePrinter(added);
    return 0;
}

}  // namespace korvif
