#include "platform/app.h"

#include "platform/dialog.h"
#include "platform/resources.h"

namespace {
PlatformServices g_services;
CWinApp* g_app = nullptr;
unsigned g_boxSerial = 0;
constexpr int kAppTitleString = 57344;
}  // namespace

// ---- Services and resources ----------------------------------------------------------------

void AfxSetServices(const PlatformServices& services) { g_services = services; }
const PlatformServices& AfxGetServices() { return g_services; }
WindowSystem& AfxWindows() {
  if (!g_services.windows) throw CException("No window system has been set up.");
  return *g_services.windows;
}
unsigned AfxBoxSerial() { return g_boxSerial; }

int AfxShowBox(DialogWindow* owner, const std::string& text, const std::string& caption, UINT type) {
  ++g_boxSerial;
  return AfxWindows().MessageBox(owner, text, caption, type);
}

// ---- Application ---------------------------------------------------------------------------

CWinApp::CWinApp(const char* appName) {
  if (appName) m_pszAppName = appName;
  g_app = this;
}

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

HICON CWinApp::LoadIcon(int id) const { return AfxFindIcon(id); }

CWinApp* AfxGetApp() { return g_app; }

std::string AfxAppTitle() {
  if (g_app && !g_app->m_pszAppName.empty()) return g_app->m_pszAppName;
  const char* title = AfxFindString(kAppTitleString);
  return title ? title : "";
}

int AfxWinMain(const PlatformServices& services) {
  AfxSetServices(services);
  if (!g_app) return 1;
  if (g_app->m_pszAppName.empty()) {
    const char* title = AfxFindString(kAppTitleString);
    g_app->m_pszAppName = title ? title : "";
  }
  try {
    g_app->InitInstance();
  } catch (const CException& e) {
    AfxReportException(e);
  }
  return 0;
}

BOOL AfxEnableControlContainer() { return TRUE; }

int AfxMessageBox(const char* text, UINT type) {
  if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
  return AfxShowBox(AfxActiveDialog(), text ? text : "", AfxAppTitle(), type);
}

void AfxReportException(const CException& e) {
  AfxShowBox(AfxActiveDialog(), e.Description(), AfxAppTitle(), MB_OK | MB_ICONSTOP);
}

HICON LoadImageIcon(int id, UINT /*type*/, int /*cx*/, int /*cy*/, UINT /*flags*/) { return AfxFindIcon(id); }

int GetSystemMetrics(int index) { return AfxWindows().SystemMetric(index); }
