#include "res/resources.h"

#include <cmath>

namespace res {

namespace {

constexpr DWORD kPushButton = 0x50010000;
constexpr DWORD kEdit = 0x50810081;
constexpr DWORD kLabel = 0x50020201;

constexpr ControlTemplate kAboutControls[] = {
    {-1, ControlKind::StaticIcon, nullptr, 11, 17, 20, 20, 0x50000003, IDI_ABOUT, nullptr},
    {-1, ControlKind::StaticText, "Dravik 1.1 版", 40, 10, 119, 8, 0x50020080, 0, nullptr},
    {1, ControlKind::DefPushButton, "确定", 178, 7, 50, 14, 0x50030001, 0, nullptr},
};

constexpr DialogTemplate kAboutBox = {
    IDD_ABOUTBOX, 0x80C800C0, 0, 0, 0, 235, 55, "关于 Quillon", 9, "宋体", 0, false, 1, kAboutControls};

// Template order is the tab order and the stacking order. The last fields name controls that
// show no text of their own for assistive technology; the lamp is named by the status word.
constexpr ControlTemplate kMainControls[] = {
    {IDC_OPEN_CLOSE, ControlKind::PushButton, "OPEN", 369, 3, 60, 15, kPushButton, 0, nullptr},
    {IDC_PORT, ControlKind::ComboBox, nullptr, 318, 6, 42, 80, 0x50210003, 0, nullptr, "COM port"},
    {-1, ControlKind::GroupBox, "Password", 299, 100, 130, 61, 0x50000007, 0, nullptr},
    {IDC_PASSWORD, ControlKind::Edit, nullptr, 311, 115, 61, 16, kEdit, 0, nullptr, "Password"},
    {IDC_READ_PASSWORD, ControlKind::PushButton, "Read", 380, 136, 49, 17, kPushButton, 0, nullptr},
    {IDC_COMM, ControlKind::HostedControl, nullptr, 179, 273, 25, 25, 0x50010000, 0,
     "{648A5600-2C6E-101B-82B6-000000000014}"},
    {IDC_READ_BACK, ControlKind::Edit, nullptr, 311, 137, 61, 15, kEdit, 0, nullptr, "Password read back"},
    {IDC_SET_PASSWORD, ControlKind::PushButton, "Set", 380, 114, 49, 18, kPushButton, 0, nullptr},
    {IDC_DATE, ControlKind::DatePicker, "DateTimePicker1", 302, 20, 62, 13, 0x50010020, 0, nullptr, "Date"},
    {IDC_TIME, ControlKind::TimePicker, "DateTimePicker2", 366, 20, 60, 14, 0x50010029, 0, nullptr, "Time"},
    {IDC_SET_CLOCK, ControlKind::PushButton, "Data Time Set", 300, 36, 129, 15, kPushButton, 0, nullptr},
    {IDC_RECORDS, ControlKind::ListView, "List1", 0, 22, 298, 256, 0x50810001, 0, nullptr},
    {IDC_ALARM_ANGLE, ControlKind::Edit, nullptr, 301, 55, 128, 16, kEdit, 0, nullptr, "Alarm angle"},
    {IDC_SET_ALARM_ANGLE, ControlKind::PushButton, "Alarm Angle Set", 300, 73, 129, 15, kPushButton, 0, nullptr},
    {IDC_ZERO_SET, ControlKind::PushButton, "Zero Set", 312, 171, 103, 19, kPushButton, 0, nullptr},
    {IDC_ZERO_RESET, ControlKind::PushButton, "Reset Zero", 311, 197, 105, 19, kPushButton, 0, nullptr},
    {IDC_READ_RECORDS, ControlKind::PushButton, "Read Alarm Record", 311, 223, 105, 18, kPushButton, 0, nullptr},
    {IDC_SAVE_RECORDS, ControlKind::PushButton, "Save Alarm Record", 311, 248, 105, 18, kPushButton, 0, nullptr},
    {IDC_CLEAR_RECORDS, ControlKind::PushButton, "Clear Alarm Record", 311, 273, 105, 19, kPushButton, 0, nullptr},
    {IDC_CLEAR_LIST, ControlKind::PushButton, "Clear From", 244, 283, 54, 15, kPushButton, 0, nullptr},
    {-1, ControlKind::StaticText, "COM", 289, 6, 25, 11, kLabel, 0, nullptr},
    {IDC_STATUS_WORD, ControlKind::StaticText, "Ready", 77, 5, 65, 11, kLabel, 0, nullptr},
    {IDC_STATUS_LAMP, ControlKind::StaticIcon, nullptr, 159, 0, 20, 20, 0x50000003, IDI_LAMP_GREEN, nullptr, nullptr,
     IDC_STATUS_WORD},
    {IDC_TEST, ControlKind::PushButton, "test", 56, 285, 67, 13, 0x40010000, 0, nullptr},
};

constexpr DialogTemplate kMainDialog = {
    IDD_QUILLON_DIALOG, 0x90CA00C0, 0x00040000, 0, 0, 429, 305, "Korvex-12", 9, "宋体", 0, false, 1, kMainControls};

IconResource SolidIcon(int id, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  IconResource icon{id, 32, 32, {}};
  icon.rgb.reserve(32 * 32 * 3);
  for (int i = 0; i < 32 * 32; ++i) icon.rgb.insert(icon.rgb.end(), {r, g, b});
  return icon;
}

// The application icon: a dial with its alarm sector and a needle, drawn once.
IconResource ApplicationIcon() {
  IconResource icon{IDR_MAINFRAME, 32, 32, std::vector<std::uint8_t>(32 * 32 * 3)};
  constexpr double kPi = 3.14159265358979323846;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const double dx = x - 15.5;
      const double dy = 26.0 - y;
      const double r = std::sqrt(dx * dx + dy * dy);
      const double a = std::atan2(dy, dx) * 180.0 / kPi;  // 0 right, 90 up
      std::uint8_t c[3] = {0x1E, 0x2A, 0x3C};              // slate background
      if (dy >= 0 && r <= 14.5) {
        c[0] = 0xF2, c[1] = 0xF2, c[2] = 0xEA;  // dial face
        if (r >= 11.0 && a <= 45.0) c[0] = 0xD8, c[1] = 0x30, c[2] = 0x28;   // alarm sector
        if (r >= 11.0 && a > 45.0) c[0] = 0x4C, c[1] = 0x9A, c[2] = 0x4A;    // normal sector
        const double needle = 62.0;
        const double nx = std::cos(needle * kPi / 180.0);
        const double ny = std::sin(needle * kPi / 180.0);
        const double along = dx * nx + dy * ny;
        const double across = std::abs(dx * ny - dy * nx);
        if (along >= 0 && along <= 12.5 && across <= 1.1) c[0] = 0x10, c[1] = 0x10, c[2] = 0x10;
      }
      if (dy >= -1.5 && dy < 0 && std::abs(dx) <= 15.0) c[0] = 0x90, c[1] = 0x98, c[2] = 0xA8;  // base line
      if (r <= 2.0) c[0] = 0x10, c[1] = 0x10, c[2] = 0x10;  // hub
      std::uint8_t* p = &icon.rgb[static_cast<std::size_t>((y * 32 + x) * 3)];
      p[0] = c[0], p[1] = c[1], p[2] = c[2];
    }
  }
  return icon;
}

const DialogTemplate* FindDialog(int id) {
  if (id == IDD_ABOUTBOX) return &kAboutBox;
  if (id == IDD_QUILLON_DIALOG) return &kMainDialog;
  return nullptr;
}

const IconResource* FindIcon(int id) {
  static const IconResource kApp = ApplicationIcon();
  static const IconResource kGreen = SolidIcon(IDI_LAMP_GREEN, 0, 255, 0);
  static const IconResource kRed = SolidIcon(IDI_LAMP_RED, 255, 0, 0);
  static const IconResource kYellow = SolidIcon(IDI_LAMP_YELLOW, 255, 255, 0);
  switch (id) {
    case IDR_MAINFRAME: return &kApp;
    case IDI_LAMP_GREEN: return &kGreen;
    case IDI_LAMP_RED: return &kRed;
    case IDI_LAMP_YELLOW: return &kYellow;
    default: return nullptr;
  }
}

const char* FindString(int id) { return id == IDS_APP_TITLE ? "Dravik" : nullptr; }

constexpr ResourceTable kTable = {&FindDialog, &FindIcon, &FindString};

constexpr VersionInfo kVersion = {"Korvex-12", "Korvex-12", "Korvex", "Korvex-12", "1.19.1128.0", 1, 19, 1128, 0,
                                  0x0804, 1200};

}  // namespace

const ResourceTable& Table() { return kTable; }

IconResource ScaledIcon(const IconResource& icon, int size) {
  IconResource out{icon.id, size, size, std::vector<std::uint8_t>(static_cast<std::size_t>(size * size * 3))};
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const int sx = x * icon.width / size, sy = y * icon.height / size;
      const std::uint8_t* from = &icon.rgb[static_cast<std::size_t>((sy * icon.width + sx) * 3)];
      std::uint8_t* to = &out.rgb[static_cast<std::size_t>((y * size + x) * 3)];
      to[0] = from[0], to[1] = from[1], to[2] = from[2];
    }
  }
  return out;
}
const VersionInfo& Version() { return kVersion; }

}  // namespace res
