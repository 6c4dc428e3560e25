#pragma once
// The program's resources as data every backend builds its windows from.

#include "platform/resources.h"
#include "res/resource_ids.h"

namespace res {

const ResourceTable& Table();

// Version information of the program file.
struct VersionInfo {
  const char* productName;
  const char* fileDescription;
  const char* internalName;
  const char* originalFilename;
  const char* version;  // file and product version
  int major, minor, build, revision;
  int language;  // 0x0804
  int codePage;  // 1200
};
const VersionInfo& Version();

// |icon| at |size| x |size| pixels, each pixel taken from the nearest one of the original, so
// that the drawing stays sharp at the larger sizes desktops and installers show.
IconResource ScaledIcon(const IconResource& icon, int size);

// The sizes of the application icon that desktops and installers look for.
inline constexpr int kDesktopIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace res
