// Behaviours of the headless backend that tests elsewhere rely on: time order, line timing,
// the registry view and the file dialog.

#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>


#include "platform/afxwin.h"
#include "tests/support/test_os.h"

namespace {

class Echo : public headless::ByteDevice {
 public:
  std::vector<std::pair<std::uint8_t, std::int64_t>> seen;
  std::vector<headless::Transmission> OnHostByte(std::uint8_t b, std::int64_t nowUs) override {
    seen.emplace_back(b, nowUs);
    if (seen.size() < 8) return {};
    return {{1000, std::vector<std::uint8_t>(8, b)}};
  }
};

struct Collector : SerialLineListener {
  std::vector<std::pair<std::size_t, std::int64_t>> chunks;
  headless::HeadlessSystem* sys = nullptr;
  void OnLineData(const std::uint8_t*, std::size_t n) override { chunks.emplace_back(n, sys->NowUs()); }
  void OnLineHangup() override {}
};

TEST(HeadlessClock, RunsDueWorkInTimeOrderWithTiesInArmingOrder) {
  headless::HeadlessSystem sys;
  NativeWindow a, b;
  std::vector<std::string> order;
  sys.SetTimer(&a, 1, 30, [&] { order.push_back("a30"); sys.KillTimer(&a, 1); });
  sys.SetTimer(&b, 1, 20, [&] { order.push_back("b20"); sys.KillTimer(&b, 1); });
  sys.SetTimer(&b, 2, 30, [&] { order.push_back("b30"); sys.KillTimer(&b, 2); });
  sys.Advance(29.999);
  EXPECT_EQ(order, (std::vector<std::string>{"b20"}));
  sys.Advance(0.001);
  EXPECT_EQ(order, (std::vector<std::string>{"b20", "a30", "b30"}));
  EXPECT_DOUBLE_EQ(sys.NowMs(), 30.0);
}

TEST(HeadlessClock, NestedAdvanceMovesTimeForwardOnly) {
  headless::HeadlessSystem sys;
  NativeWindow w;
  std::vector<double> fired;
  sys.SetTimer(&w, 1, 20, [&] {
    fired.push_back(sys.NowMs());
    sys.KillTimer(&w, 1);
    sys.Advance(300);  // as a box held open by the operator
  });
  sys.Advance(100);
  EXPECT_EQ(fired, std::vector<double>{20.0});
  EXPECT_DOUBLE_EQ(sys.NowMs(), 320.0);
}

TEST(HeadlessLine, CarriesBytesAtNineThousandSixHundredBaudInChunks) {
  headless::HeadlessSystem sys;
  Echo device;
  Collector host;
  host.sys = &sys;
  sys.AddPort(1, &device);
  sys.SetChunkBytes(3);
  LineSettings settings;
  std::string error;
  auto line = sys.Open(1, settings, &host, &error);
  ASSERT_TRUE(line);
  const std::uint8_t frame[8] = {0xFF, 1, 2, 3, 4, 5, 6, 7};
  ASSERT_TRUE(line->Write(frame, 8, &error));
  sys.Advance(100);
  ASSERT_EQ(device.seen.size(), 8u);
  EXPECT_EQ(device.seen[0].second, 1041);  // one byte time: 10 bits at 9600 baud
  EXPECT_EQ(device.seen[7].second, 8333);
  // The reply starts 1 ms after the request and arrives as 3 + 3 + 2 bytes.
  ASSERT_EQ(host.chunks.size(), 3u);
  EXPECT_EQ(host.chunks[0], std::make_pair(std::size_t{3}, std::int64_t{8333 + 1000 + 3125}));
  EXPECT_EQ(host.chunks[2], std::make_pair(std::size_t{2}, std::int64_t{8333 + 1000 + 8333}));
}

TEST(HeadlessRegistry, ReadsValuesAndInjectsFailures) {
  headless::HeadlessSystem sys;
  AfxSetServices(sys.Services());
  sys.SetSerialPortValues({{"\\Device\\Serial0", "COM3"}, {"\\Device\\VCP0", "COM12"}});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  DWORD count = 0, longest = 0;
  ASSERT_EQ(RegQueryInfoKeyA(key, &count, &longest), ERROR_SUCCESS);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(longest, 15u);
  char name[32];
  DWORD len = sizeof name;
  ASSERT_EQ(RegEnumValueA(key, 1, name, &len), ERROR_SUCCESS);
  EXPECT_STREQ(name, "\\Device\\VCP0");
  BYTE data[10];
  DWORD size = 3;
  EXPECT_EQ(RegQueryValueExA(key, name, nullptr, data, &size), ERROR_MORE_DATA);
  size = sizeof data;
  ASSERT_EQ(RegQueryValueExA(key, name, nullptr, data, &size), ERROR_SUCCESS);
  EXPECT_STREQ(reinterpret_cast<char*>(data), "COM12");
  sys.FailEnumValue(0, ERROR_ACCESS_DENIED);
  len = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &len), ERROR_ACCESS_DENIED);
  sys.FailQueryInfo(ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegQueryInfoKeyA(key, &count, &longest), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  sys.RemoveSerialPortKey();
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &key),
            ERROR_FILE_NOT_FOUND);
  AfxSetServices({});
}

TEST(HeadlessFileDialog, AddsTheDefaultExtensionAndConfirmsAReplacement) {
  headless::HeadlessSystem sys;
  AfxSetServices(sys.Services());
  const auto dir = std::filesystem::temp_directory_path() / ("korvex-fd-" + std::to_string(testos::ProcessId()));
  std::filesystem::create_directories(dir);
  const std::string existing = (dir / "old.txt").string();
  std::ofstream(existing) << "x";
  sys.AnswerNextFileDialog([&](const FileDialogRequest&) { return (dir / "new").string(); });
  CFileDialog first(FALSE, "txt", "x", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "txt Files (*.txt)|*.txt|");
  ASSERT_EQ(first.DoModal(), IDOK);
  EXPECT_EQ(first.GetPathName(), (dir / "new.txt").string());
  EXPECT_TRUE(sys.Boxes().empty());

  sys.AnswerNextFileDialog([&](const FileDialogRequest&) { return existing; });
  sys.AnswerNextBox(IDNO);
  CFileDialog declined(FALSE, "txt", "x", OFN_OVERWRITEPROMPT, nullptr);
  EXPECT_EQ(declined.DoModal(), IDCANCEL);
  ASSERT_EQ(sys.Boxes().size(), 1u);
  EXPECT_EQ(sys.Boxes()[0].type, MB_YESNO | MB_ICONEXCLAMATION);

  sys.AnswerNextFileDialog([&](const FileDialogRequest&) { return existing; });
  CFileDialog confirmed(FALSE, "txt", "x", OFN_OVERWRITEPROMPT, nullptr);
  EXPECT_EQ(confirmed.DoModal(), IDOK);
  EXPECT_EQ(confirmed.GetPathName(), existing);
  std::filesystem::remove_all(dir);
  AfxSetServices({});
}

}  // namespace
