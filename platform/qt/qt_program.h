#pragma once
// The start of a desktop program on Qt: the application, the window system, the machine's
// serial ports and the registry's view of them; then the framework's start.

namespace qtbackend {

struct ProgramInfo {
  const char* name;         // as desktops show it
  const char* version;
  const char* command;      // as it is started, such as korvex12
  const char* desktopFile;  // the desktop entry's name, without .desktop
};

// Runs the framework's start (the application object's InitInstance) on Qt with the machine's
// serial ports; returns the process exit code. Says so and returns 1 without a display.
int RunDesktopProgram(int argc, char** argv, const ProgramInfo& info);

}  // namespace qtbackend
