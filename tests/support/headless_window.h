#pragma once
// The main window created on a headless backend, for fuzzers and benchmarks that drive its
// member functions directly.

#include "console/quillon_dlg.h"
#include "platform/headless/headless.h"
#include "res/resources.h"

namespace testsupport {

struct HeadlessWindow {
  HeadlessWindow() {
    AfxSetResources(&res::Table());
    AfxSetServices(sys.Services());
    dlg.Create();
  }
  headless::HeadlessSystem sys;
  CQuillonDlg dlg;
};

}  // namespace testsupport
