#pragma once
// Resource data the framework builds windows from: dialog templates, icons and strings.
// A program hands its table to the framework once, before anything is created.

#include <cstdint>
#include <span>
#include <vector>

#include "platform/afx_types.h"

enum class ControlKind : std::uint8_t {
  Dialog,
  PushButton,
  DefPushButton,
  GroupBox,
  Edit,
  ComboBox,
  ListView,
  StaticText,
  StaticIcon,
  DatePicker,
  TimePicker,
  HostedControl,  // an ActiveX control, identified by its class id
};

struct ControlTemplate {
  int id;  // -1: no id of its own
  ControlKind kind;
  const char* text;  // caption, or nullptr
  int x, y, cx, cy;  // dialog units
  DWORD style;
  int iconId;           // StaticIcon: the icon resource it shows
  const char* classId;  // HostedControl: its class id
  // How assistive technology names a control that shows no text of its own: a fixed name, or
  // the text of the control |nameFrom| (such as a lamp named by its status word).
  const char* accessibleName = nullptr;
  int nameFrom = 0;
};

struct DialogTemplate {
  int id;
  DWORD style;
  DWORD exStyle;
  int x, y, cx, cy;  // dialog units
  const char* caption;
  int pointSize;
  const char* faceName;  // UTF-8
  int weight;
  bool italic;
  int charset;
  std::span<const ControlTemplate> controls;
};

// Style bits the framework interprets.
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_DISABLED = 0x08000000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;

struct IconResource {
  int id;
  int width;
  int height;
  std::vector<std::uint8_t> rgb;  // width * height * 3 bytes, row by row from the top
};

struct ResourceTable {
  const DialogTemplate* (*findDialog)(int id);
  const IconResource* (*findIcon)(int id);
  const char* (*findString)(int id);  // nullptr when the string does not exist
};

void AfxSetResources(const ResourceTable* table);
const ResourceTable& AfxGetResources();

// Common resource lookups; nullptr when absent.
const DialogTemplate* AfxFindDialog(int id);
HICON AfxFindIcon(int id);
const char* AfxFindString(int id);
