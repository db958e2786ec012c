// The fax printer: the port, the driver and the printer that other programs print to the fax
// product through.
#pragma once

namespace korvif::fax_printer {

inline constexpr char port_section[] = "Ports";
inline constexpr char port_name[] = "FAX:";
inline constexpr char printer_name[] = "Korvane Faxdesk";
inline constexpr char driver_environment[] = "Windows 4.0";
inline constexpr unsigned driver_version = 0x400;
inline constexpr char driver_file[] = "c:\\windows\\system\\kvfxprnt.drv";
inline constexpr char print_processor[] = "WinPrint";
inline constexpr char data_type[] = "RAW";

}  // namespace korvif::fax_printer
