#pragma once
// The class library's Printers unit. This system knows no printers: the list is empty, and whatever
// needs a printer's device context raises EPrinter, which callers that offer printing as an extra
// catch.

#include <memory>

#include "platform/vcl/Graphics.h"

XJ_EXCEPTION(EPrinter, Exception);

class TPrinter : public TObject {
  XJ_CLASS(TPrinter, TObject)
 public:
  TPrinter();
  ~TPrinter() override;

  // The installed printers: none.
  TStrings* Printers() { return FPrinters.get(); }
  // -1: no printer is selected, and only -1 can be.
  int PrinterIndex() const { return -1; }
  void SetPrinterIndex(int Value);
  // Both raise EPrinter: there is no printer to draw on.
  HDC Handle();
  TCanvas* Canvas();

 private:
  std::unique_ptr<TStringList> FPrinters;
};

// The program's printer object, made on first use.
TPrinter* Printer();
