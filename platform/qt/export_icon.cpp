// Writes the application icon (resource 127) as a PNG for the desktop entry.

#include <QGuiApplication>
#include <QImage>

#include <cstdio>

#include "res/resources.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: korvex12-export-icon FILE.png\n");
    return 2;
  }
  const ResourceTable& table = res::Table();
  const IconResource* icon = table.findIcon(IDR_MAINFRAME);
  const QImage image(icon->rgb.data(), icon->width, icon->height, icon->width * 3, QImage::Format_RGB888);
  return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
