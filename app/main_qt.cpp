// The desktop program: the main window on Qt, real serial ports, the port list from the
// machine's serial ports and the simulator's virtual ports.

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "app/quillon_app.h"
#include "platform/posix/ports.h"
#include "platform/qt/qt_window_system.h"
#include "res/resources.h"

namespace {
bool HaveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    if (const char* v = std::getenv(name); v && *v) return true;
  }
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  if (!HaveDisplay()) {
    std::fprintf(stderr,
                 "korvex12: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Start it from a desktop session, or on a virtual display: xvfb-run -a korvex12\n");
    return 1;
  }
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvex-12"));
  QApplication::setApplicationVersion(QStringLiteral(KORVEX_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("korvex12"));

  qtbackend::QtWindowSystem windows;
  posix::PortDirectory ports;
  posix::SerialPorts lines(&ports, &windows);
  posix::PortRegistry registry(&ports);
  windows.SetItemTooltips([&ports](const std::string& name) {
    const posix::PortEntry* p = ports.FindByName(name);
    return p ? p->device + " — " + p->description : std::string();
  });
  AfxSetResources(&res::Table());
  return AfxWinMain({&windows, &lines, &registry});
}
