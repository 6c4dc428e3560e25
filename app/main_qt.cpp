// The desktop program on Linux: the main window on Qt, real serial ports, the port list from
// the machine's serial ports and the simulator's virtual ports.

#include "app/quillon_app.h"
#include "platform/qt/qt_program.h"
#include "res/resources.h"

int main(int argc, char** argv) {
  AfxSetResources(&res::Table());
  return qtbackend::RunDesktopProgram(argc, argv,
                                      {res::Version().productName, res::Version().version, "korvex12", KORVEX_APP_ID});
}
