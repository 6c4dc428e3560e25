#pragma once
// The application: its single global object starts the main window as a modal dialog.

#include "platform/afxwin.h"

class CQuillonApp : public CWinApp {
 public:
  CQuillonApp();
  BOOL InitInstance() override;
};

extern CQuillonApp theApp;
