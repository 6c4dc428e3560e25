// The desktop program on Windows: the main window as a real dialog, the system's serial
// ports, and the port list from the registry.

#include "app/quillon_app.h"
#include "platform/win32/ports.h"
#include "platform/win32/win32_window_system.h"
#include "res/resources.h"

int main() {
  win32backend::Win32WindowSystem windows;
  win32backend::ComPorts ports;
  win32backend::MachineRegistry registry;
  AfxSetResources(&res::Table());
  return AfxWinMain({&windows, &ports, &registry});
}
