#include "platform/qt/qt_program.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

#include "platform/app.h"
#include "platform/posix/ports.h"
#include "platform/qt/qt_window_system.h"

namespace qtbackend {

namespace {
bool HaveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    if (const char* v = std::getenv(name); v && *v) return true;
  }
  return false;
}
}  // namespace

int RunDesktopProgram(int argc, char** argv, const ProgramInfo& info) {
  if (!HaveDisplay()) {
    std::fprintf(stderr,
                 "%s: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Start it from a desktop session, or on a virtual display: xvfb-run -a %s\n",
                 info.command, info.command);
    return 1;
  }
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(info.name));
  QApplication::setApplicationVersion(QString::fromUtf8(info.version));
  QApplication::setDesktopFileName(QString::fromUtf8(info.desktopFile));

  QtWindowSystem windows;
  posix::PortDirectory ports;
  posix::SerialPorts lines(&ports, &windows);
  posix::PortRegistry registry(&ports);
  windows.SetItemTooltips([&ports](const std::string& name) {
    const posix::PortEntry* p = ports.FindByName(name);
    return p ? p->device + " — " + p->description : std::string();
  });
  return AfxWinMain({&windows, &lines, &registry});
}

}  // namespace qtbackend
