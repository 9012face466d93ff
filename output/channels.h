// The channels of the device layer, one per kind: the CON viewer file
// (report_viewer), serial ports (com_ports), PDF documents (pdf_device) and
// printers (printers). Each takes the device record it serves.
#pragma once

#include <string_view>

#include "core/status.h"
#include "output/device.h"

namespace eng {

Status DeviceOpenConsoleFile(DeviceRecord& d);
Status ReportWinWrite(DeviceRecord& d, std::string_view text);
Status ReportWinShow(DeviceRecord& d);

Status PdfDevOpen(DeviceRecord& d);
Status PdfDevWrite(DeviceRecord& d, std::string_view text);
Status PdfDevClose(DeviceRecord& d);
// Frees the slot of a device whose open failed, saving nothing.
void PdfDevDiscard(DeviceRecord& d);

}  // namespace eng
