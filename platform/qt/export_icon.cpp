// Writes the application icon (resource 127) into a hicolor icon tree for the desktop:
// OUTPUT_DIR/NxN/apps/korvex12.png at the sizes desktops look for, scaled without blurring.

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <filesystem>

#include "res/resources.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvex12-export-icon OUTPUT_DIR\n");
    return 2;
  }
  const IconResource* icon = res::Table().findIcon(IDR_MAINFRAME);
  for (int size : res::kDesktopIconSizes) {
    const IconResource scaled = res::ScaledIcon(*icon, size);
    const QImage image(scaled.rgb.data(), size, size, size * 3, QImage::Format_RGB888);
    const std::filesystem::path dir =
        std::filesystem::path(argv[1]) / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
    std::filesystem::create_directories(dir);
    if (!image.save(QString::fromStdString((dir / "korvex12.png").string()), "PNG")) return 1;
  }
  return 0;
}
