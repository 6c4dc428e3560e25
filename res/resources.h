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

}  // namespace res
