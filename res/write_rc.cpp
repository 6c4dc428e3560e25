// Writes the Windows resource script of the program from the resource data every backend
// builds its windows from: the dialogs, icons (as .ico files), the title string, the version
// information and the manifest; and the installer's icon. Run at build time; standard
// library only.
//
//   write_rc OUTPUT_DIR

#include <cstdio>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/resources.h"

namespace {

const char* ClassName(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
    case ControlKind::DefPushButton:
    case ControlKind::GroupBox: return "BUTTON";
    case ControlKind::Edit: return "EDIT";
    case ControlKind::ComboBox: return "COMBOBOX";
    case ControlKind::ListView: return "SysListView32";
    case ControlKind::StaticText:
    case ControlKind::StaticIcon: return "STATIC";
    case ControlKind::DatePicker:
    case ControlKind::TimePicker: return "SysDateTimePick32";
    case ControlKind::HostedControl:
    case ControlKind::Dialog: break;
  }
  return nullptr;
}

// A resource-script string: quotes doubled, non-ASCII text as UTF-8 under code page 65001.
std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* p = text ? text : ""; *p; ++p) {
    if (*p == '"') out += "\"\"";
    else if (*p == '\\') out += "\\\\";
    else if (*p == '\n') out += "\\n";
    else out += *p;
  }
  return out + "\"";
}

std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", v);
  return buf;
}

void WriteDialog(std::ostream& rc, const DialogTemplate& d) {
  rc << d.id << " DIALOGEX " << d.x << ", " << d.y << ", " << d.cx << ", " << d.cy << "\n"
     << "STYLE " << Hex(d.style) << "\n"
     << "EXSTYLE " << Hex(d.exStyle) << "\n"
     << "CAPTION " << Quoted(d.caption) << "\n"
     << "FONT " << d.pointSize << ", " << Quoted(d.faceName) << ", " << d.weight << ", " << (d.italic ? 1 : 0) << ", "
     << d.charset << "\n"
     << "BEGIN\n";
  for (const ControlTemplate& c : d.controls) {
    // A hosted control is named by its class id, as the platform's dialog editor stores it.
    const std::string cls = c.kind == ControlKind::HostedControl ? std::string(c.classId) : ClassName(c.kind);
    const std::string text = c.kind == ControlKind::StaticIcon ? Quoted("") : Quoted(c.text);
    rc << "    CONTROL " << text << ", " << c.id << ", " << Quoted(cls.c_str()) << ", " << Hex(c.style) << ", " << c.x
       << ", " << c.y << ", " << c.cx << ", " << c.cy << "\n";
  }
  rc << "END\n\n";
}

void Le16(std::vector<std::uint8_t>* out, unsigned v) {
  out->push_back(static_cast<std::uint8_t>(v));
  out->push_back(static_cast<std::uint8_t>(v >> 8));
}
void Le32(std::vector<std::uint8_t>* out, std::uint32_t v) {
  Le16(out, v & 0xFFFF);
  Le16(out, v >> 16);
}

struct IcoImage {
  int width, height, bits;
  bool palette;
  std::vector<std::uint8_t> bytes;  // the bitmap: header, palette, colour and mask rows
};

// One image: 24-bit colour, or 4-bit with a palette when |palette| (every pixel opaque).
IcoImage MakeIcoImage(const IconResource& icon, bool palette) {
  const int w = icon.width, h = icon.height;
  const int bits = palette ? 4 : 24;
  const int xorStride = (w * bits + 31) / 32 * 4;
  const int andStride = (w + 31) / 32 * 4;
  std::vector<std::uint8_t> image;
  Le32(&image, 40);
  Le32(&image, static_cast<std::uint32_t>(w));
  Le32(&image, static_cast<std::uint32_t>(h * 2));  // colour and mask
  Le16(&image, 1);
  Le16(&image, static_cast<unsigned>(bits));
  Le32(&image, 0);
  Le32(&image, static_cast<std::uint32_t>((xorStride + andStride) * h));
  Le32(&image, 0);
  Le32(&image, 0);
  Le32(&image, palette ? 16 : 0);
  Le32(&image, 0);
  std::vector<std::uint32_t> colours;
  auto colourAt = [&](int x, int y) {
    const std::uint8_t* p = &icon.rgb[static_cast<std::size_t>((y * w + x) * 3)];
    return static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
  };
  if (palette) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const std::uint32_t c = colourAt(x, y);
        bool known = false;
        for (std::uint32_t k : colours) known = known || k == c;
        if (!known) colours.push_back(c);
      }
    }
    colours.resize(16, 0);
    for (std::uint32_t c : colours) Le32(&image, c);  // blue, green, red, reserved
  }
  for (int y = h - 1; y >= 0; --y) {  // bottom-up
    std::vector<std::uint8_t> row(static_cast<std::size_t>(xorStride), 0);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t c = colourAt(x, y);
      if (palette) {
        std::uint8_t index = 0;
        while (colours[index] != c) ++index;
        row[static_cast<std::size_t>(x / 2)] |= static_cast<std::uint8_t>(x % 2 ? index : index << 4);
      } else {
        row[static_cast<std::size_t>(x * 3 + 0)] = static_cast<std::uint8_t>(c);
        row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<std::uint8_t>(c >> 8);
        row[static_cast<std::size_t>(x * 3 + 2)] = static_cast<std::uint8_t>(c >> 16);
      }
    }
    image.insert(image.end(), row.begin(), row.end());
  }
  image.insert(image.end(), static_cast<std::size_t>(andStride * h), 0);  // no transparent pixels
  return {w, h, bits, palette, std::move(image)};
}

// An .ico file of |images|: the directory, then each image.
std::vector<std::uint8_t> IcoFile(const std::vector<IcoImage>& images) {
  std::vector<std::uint8_t> file;
  Le16(&file, 0);
  Le16(&file, 1);
  Le16(&file, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const IcoImage& i : images) {
    file.push_back(static_cast<std::uint8_t>(i.width == 256 ? 0 : i.width));  // 0 stands for 256
    file.push_back(static_cast<std::uint8_t>(i.height == 256 ? 0 : i.height));
    file.push_back(i.palette ? 16 : 0);
    file.push_back(0);
    Le16(&file, 1);
    Le16(&file, static_cast<unsigned>(i.bits));
    Le32(&file, static_cast<std::uint32_t>(i.bytes.size()));
    Le32(&file, offset);
    offset += static_cast<std::uint32_t>(i.bytes.size());
  }
  for (const IcoImage& i : images) file.insert(file.end(), i.bytes.begin(), i.bytes.end());
  return file;
}

bool WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out);
}

constexpr const char* kManifest = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>
    </windowsSettings>
  </application>
</assembly>
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: write_rc OUTPUT_DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  const ResourceTable& table = res::Table();
  std::ostringstream rc;
  rc << "// Written by write_rc from the program's resource data; do not edit.\n"
     << "#pragma code_page(65001)\n"
     << "LANGUAGE 0x04, 0x02\n\n";
  const int icons[] = {IDR_MAINFRAME, IDI_LAMP_GREEN, IDI_LAMP_RED, IDI_LAMP_YELLOW};
  for (int id : icons) {
    const IconResource* icon = table.findIcon(id);
    if (!icon) continue;
    const std::vector<std::uint8_t> ico = IcoFile({MakeIcoImage(*icon, id != IDR_MAINFRAME)});
    const std::string name = "icon" + std::to_string(id) + ".ico";
    if (!WriteFile(dir / name, std::string(ico.begin(), ico.end()))) return 1;
    rc << id << " ICON " << Quoted(name.c_str()) << "\n";
  }
  rc << "\n";
  // The installer's icon: the application icon at the sizes an installer shows, from 16 to 256.
  if (const IconResource* app = table.findIcon(IDR_MAINFRAME)) {
    std::vector<IcoImage> sizes;
    for (int size : {16, 32, 48, 256}) sizes.push_back(MakeIcoImage(res::ScaledIcon(*app, size), false));
    const std::vector<std::uint8_t> ico = IcoFile(sizes);
    if (!WriteFile(dir / "installer.ico", std::string(ico.begin(), ico.end()))) return 1;
  }
  for (int id : {IDD_ABOUTBOX, IDD_QUILLON_DIALOG}) {
    if (const DialogTemplate* d = table.findDialog(id)) WriteDialog(rc, *d);
  }
  rc << "STRINGTABLE\nBEGIN\n    " << IDS_APP_TITLE << " " << Quoted(table.findString(IDS_APP_TITLE)) << "\nEND\n\n";
  const res::VersionInfo& v = res::Version();
  char block[16];
  std::snprintf(block, sizeof block, "%04X%04X", v.language, v.codePage);
  std::string blockName = block;
  for (char& c : blockName) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  rc << "1 VERSIONINFO\n"
     << "FILEVERSION " << v.major << ", " << v.minor << ", " << v.build << ", " << v.revision << "\n"
     << "PRODUCTVERSION " << v.major << ", " << v.minor << ", " << v.build << ", " << v.revision << "\n"
     << "FILEFLAGSMASK 0x3F\nFILEFLAGS 0x0\nFILEOS 0x4\nFILETYPE 0x1\nFILESUBTYPE 0x0\n"
     << "BEGIN\n    BLOCK \"StringFileInfo\"\n    BEGIN\n        BLOCK " << Quoted(blockName.c_str()) << "\n        BEGIN\n"
     << "            VALUE \"FileDescription\", " << Quoted(v.fileDescription) << "\n"
     << "            VALUE \"FileVersion\", " << Quoted(v.version) << "\n"
     << "            VALUE \"InternalName\", " << Quoted(v.internalName) << "\n"
     << "            VALUE \"OriginalFilename\", " << Quoted(v.originalFilename) << "\n"
     << "            VALUE \"ProductName\", " << Quoted(v.productName) << "\n"
     << "            VALUE \"ProductVersion\", " << Quoted(v.version) << "\n"
     << "        END\n    END\n    BLOCK \"VarFileInfo\"\n    BEGIN\n"
     << "        VALUE \"Translation\", " << Hex(static_cast<std::uint32_t>(v.language)).replace(2, 4, "") << ", "
     << v.codePage << "\n    END\nEND\n\n";
  if (!WriteFile(dir / "korvex12.manifest", kManifest)) return 1;
  rc << "1 24 \"korvex12.manifest\"\n";
  return WriteFile(dir / "korvex12.rc", rc.str()) ? 0 : 1;
}
