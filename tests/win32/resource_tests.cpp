// The resources of korvex12.exe as the system reads them back: version information, icons,
// dialogs, the title string and the manifest.
//
//   resource_tests KORVEX12_EXE

#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring g_exe;

// Resource types: 5 dialog, 14 icon group, 24 manifest.

std::wstring Value(const std::vector<BYTE>& info, const wchar_t* name) {
  wchar_t* text = nullptr;
  UINT length = 0;
  const std::wstring query = std::wstring(L"\\StringFileInfo\\080404b0\\") + name;
  if (!VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || !text) return L"(none)";
  return std::wstring(text);
}

TEST(Resources, VersionInformationNamesTheProductAndItsVersion) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(g_exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version information";
  std::vector<BYTE> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(g_exe.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, (1u << 16) | 19u);
  EXPECT_EQ(fixed->dwFileVersionLS, 1128u << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, (1u << 16) | 19u);
  EXPECT_EQ(fixed->dwProductVersionLS, 1128u << 16);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileOS, 0x4u);
  EXPECT_EQ(fixed->dwFileType, 0x1u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, 4u);
  EXPECT_EQ(translation[0], 0x0804);
  EXPECT_EQ(translation[1], 1200);

  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } strings[] = {{L"ProductName", L"Korvex-12"},       {L"FileDescription", L"Korvex-12"},
                 {L"FileVersion", L"1.19.1128.0"},     {L"ProductVersion", L"1.19.1128.0"},
                 {L"InternalName", L"Korvex"},         {L"OriginalFilename", L"Korvex-12"}};
  for (const auto& s : strings) EXPECT_EQ(Value(info, s.name), s.value) << std::string(s.name, s.name + wcslen(s.name));
}

TEST(Resources, IconsDialogsTitleAndManifestArePresent) {
  HMODULE exe = LoadLibraryExW(g_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  for (int id : {127, 130, 131, 132}) EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14)), nullptr) << id;
  for (int id : {100, 102}) EXPECT_NE(FindResourceW(exe, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)), nullptr) << id;
  wchar_t title[32] = {};
  EXPECT_GT(LoadStringW(exe, 57344, title, 32), 0);
  EXPECT_EQ(std::wstring(title), L"Dravik");
  EXPECT_EQ(LoadStringW(exe, 101, title, 32), 0) << "there is no About string";

  HRSRC manifest = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const auto* data = static_cast<const char*>(LockResource(LoadResource(exe, manifest)));
  const std::string text(data, SizeofResource(exe, manifest));
  EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
  EXPECT_NE(text.find(">true</dpiAware>"), std::string::npos);
  EXPECT_EQ(text.find("Common-Controls"), std::string::npos) << "no common-controls version is named";
  FreeLibrary(exe);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: resource_tests KORVEX12_EXE\n");
    return 2;
  }
  // A path of the build machine (under the emulator) is on drive Z:.
  std::string path = argv[1];
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  g_exe.assign(path.begin(), path.end());
  return RUN_ALL_TESTS();
}
