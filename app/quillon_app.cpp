#include "app/quillon_app.h"

#include "console/quillon_dlg.h"

CQuillonApp theApp;

CQuillonApp::CQuillonApp() : CWinApp(nullptr) {}

BOOL CQuillonApp::InitInstance() {
  AfxEnableControlContainer();
  CQuillonDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
