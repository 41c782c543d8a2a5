// The printer object of a system without printers.

#include "platform/vcl/Printers.h"

namespace {

[[noreturn]] void NoPrinter() { throw EPrinter("There is no default printer currently selected"); }

}  // namespace

TPrinter::TPrinter() : FPrinters(std::make_unique<TStringList>()) {}
TPrinter::~TPrinter() = default;

void TPrinter::SetPrinterIndex(int Value) {
  if (Value != -1) throw EPrinter(Format("Printer index out of range (%d)", Value));
}

HDC TPrinter::Handle() { NoPrinter(); }
TCanvas* TPrinter::Canvas() { NoPrinter(); }

TPrinter* Printer() {
  static TPrinter* printer = new TPrinter;  // lives as long as the program: callers keep the pointer
  return printer;
}
