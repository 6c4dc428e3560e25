#pragma once
// The application object and the framework's start, and the message boxes: the system's own,
// the framework's application box and its error box.

#include <string>

#include "platform/wnd.h"

class CWinApp {
 public:
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  virtual BOOL InitInstance();

  HICON LoadIcon(int id) const;

  CWnd* m_pMainWnd = nullptr;
  std::string m_pszAppName;  // the application title
};

CWinApp* AfxGetApp();
// Framework start: takes the title from string 57344 unless the app named itself, then runs
// InitInstance. Returns the exit code.
int AfxWinMain(const PlatformServices& services);
// The application title used as the caption of boxes that have none of their own.
std::string AfxAppTitle();
BOOL AfxEnableControlContainer();
// The framework's application box: the title as caption, the exclamation icon unless |type|
// names an icon.
int AfxMessageBox(const char* text, UINT type = MB_OK);
// Shows a framework exception in the error box: stop icon, application title.
void AfxReportException(const CException& e);
HICON LoadImageIcon(int id, UINT type, int cx, int cy, UINT flags);
int GetSystemMetrics(int index);

// Shows a box through the window system and counts it (AfxBoxSerial).
int AfxShowBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type);
// Serial number of message boxes shown so far; lets the click rule see a box.
unsigned AfxBoxSerial();
