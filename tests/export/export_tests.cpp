// "Save Alarm Record" on real files: the bytes of the file, the dialog, and failures that
// must leave an existing file as it was.

#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/record_export.h"
#include "res/resource_ids.h"
#include "tests/support/console_fixture.h"
#include "tests/support/test_os.h"

namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class Save : public testsupport::ConsoleTest {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("korvex-save-" + std::to_string(testos::ProcessId()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    sys.SetWallClock(1574692205);  // 2019-11-25 14:30:05 UTC
    Start();
  }
  void TearDown() override {
    // Read-only entries are made writable first: some systems refuse to remove them.
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    }
    fs::remove_all(dir);
  }
  // Fills the list with |n| decoded records, as a read would.
  void FillRows(int n) {
    dlg->m_listRecords.DeleteAllItems();
    dlg->m_rowCount = 0;
    device.PreloadLog(n, 0);
    const auto bytes = device.LogBytes();
    dlg->ScanRecordStream(bytes.data(), static_cast<int>(bytes.size()));
  }
  void SaveAs(const fs::path& p) {
    sys.AnswerNextFileDialog([p](const FileDialogRequest&) { return p.string(); });
    ASSERT_TRUE(sys.Click(IDC_SAVE_RECORDS));
  }
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir;
};

constexpr const char* kHeader = "NO.\tDate(Y/M/D)\tTime(H:M:S)\tEvent Type\tAngle Alarm\r\n";

TEST_F(Save, WritesTheHeaderAndEveryRowWithTabsAndCrLf) {
  dlg->LoadTestRecords();
  sys.ClearBoxes();
  const fs::path p = dir / "sample.txt";
  SaveAs(p);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Save OK!"});
  EXPECT_EQ(LastBox().caption, "Dravik");
  const std::string file = Slurp(p);
  std::string want = kHeader;
  for (int i = 1; i <= 4000; ++i) want += std::to_string(i) + "\t17/01/16\t13:24:30\tAngle_Alarm\t7.2\r\n";
  EXPECT_EQ(file, want);
  EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 4001);
  EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 4001);
  EXPECT_EQ(Files(), std::vector<std::string>{"sample.txt"}) << "nothing is left beside it";
}

TEST_F(Save, OpensTheSaveAsDialogWithTheTimeAsNameAndTxtAsExtension) {
  FillRows(2);
  SaveAs(dir / "named");
  ASSERT_EQ(sys.FileDialogs().size(), 1u);
  const FileDialogRequest& r = sys.FileDialogs()[0];
  EXPECT_FALSE(r.openDialog);
  EXPECT_EQ(r.initialName, "20191125143005");
  EXPECT_EQ(r.defaultExtension, "txt");
  EXPECT_EQ(r.flags, 0x6u);
  EXPECT_EQ(r.filter, "txt Files (*.txt)|*.txt|");
  EXPECT_TRUE(fs::exists(dir / "named.txt")) << "the dialog adds the extension";
  EXPECT_EQ(Slurp(dir / "named.txt"), FormatRecordList(dlg->m_listRecords));
}

TEST_F(Save, TwoExportsOfTheSameListAreByteIdentical) {
  FillRows(50);
  SaveAs(dir / "a.txt");
  SaveAs(dir / "b.txt");
  const std::string a = Slurp(dir / "a.txt");
  EXPECT_EQ(a, Slurp(dir / "b.txt"));
  EXPECT_EQ(std::count(a.begin(), a.end(), '\n'), 51);
}

TEST_F(Save, AListWithoutRecordsIsRefusedBeforeTheDialog) {
  ASSERT_TRUE(sys.Click(IDC_SAVE_RECORDS));  // placeholders only
  dlg->m_listRecords.DeleteAllItems();      // an empty list, as after a read without records
  ASSERT_TRUE(sys.Click(IDC_SAVE_RECORDS));
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Noting in the list box!", "Noting in the list box!"}));
  EXPECT_EQ(LastBox().caption, "Dravik");
  EXPECT_EQ(LastBox().type, MB_OK);
  EXPECT_TRUE(sys.FileDialogs().empty());
}

TEST_F(Save, CancellingTheDialogLeavesNoFileAndShowsNothing) {
  FillRows(3);
  sys.AnswerNextFileDialog([](const FileDialogRequest&) { return std::nullopt; });
  ASSERT_TRUE(sys.Click(IDC_SAVE_RECORDS));
  EXPECT_TRUE(sys.Boxes().empty());
  EXPECT_TRUE(Files().empty());
}

TEST_F(Save, AnExistingFileIsReplacedOnlyAfterConfirmation) {
  FillRows(3);
  const fs::path p = dir / "old.txt";
  std::ofstream(p) << "previous contents that are longer than the new export will be, much longer, yes";
  sys.AnswerNextBox(IDNO);
  SaveAs(p);
  EXPECT_EQ(Slurp(p).substr(0, 8), "previous");
  sys.ClearBoxes();
  SaveAs(p);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{p.string() + " already exists.\nDo you want to replace it?", "Save OK!"}));
  EXPECT_EQ(Slurp(p), FormatRecordList(dlg->m_listRecords));
}

// A write that fails part-way: the file size limit makes the C library report a full disk.
TEST_F(Save, AFullDiskLeavesTheExistingFileIntactAndNamesTheCause) {
  FillRows(4000);
  const fs::path p = dir / "keep.txt";
  const std::string before = "the operator's earlier export\r\n";
  std::ofstream(p, std::ios::binary) << before;
  sys.AnswerNextBox(IDYES);
  {
    auto limit = testos::LimitFileSize(64 * 1024);
    if (!limit) GTEST_SKIP() << "this system cannot limit a file's size";
    SaveAs(p);
  }
  ASSERT_EQ(sys.Boxes().size(), 2u);
  EXPECT_EQ(LastBox().text, "\"" + p.string() + "\" could not be written: the disk is full.");
  EXPECT_EQ(LastBox().type & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_EQ(Slurp(p), before);
  EXPECT_EQ(Files(), std::vector<std::string>{"keep.txt"}) << "the partial file is removed";
}

TEST_F(Save, AFileHeldByAnotherProgramIsNotTouched) {
  FillRows(3);
  const fs::path p = dir / "held.txt";
  std::ofstream(p) << "held";
  auto held = testos::HoldFile(p.string());
  ASSERT_TRUE(held);
  sys.AnswerNextBox(IDYES);
  SaveAs(p);
  held.reset();
  EXPECT_EQ(LastBox().text, "\"" + p.string() + "\" could not be written: it is held by another program.");
  EXPECT_EQ(Slurp(p), "held");
  EXPECT_EQ(Files(), std::vector<std::string>{"held.txt"});
}

TEST_F(Save, AMissingFolderIsNamedInTheErrorBox) {
  FillRows(3);
  const fs::path p = dir / "gone" / "x.txt";
  SaveAs(p);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"\"" + p.string() + "\" could not be written: the folder does not exist."});
  EXPECT_FALSE(fs::exists(dir / "gone"));
}

TEST_F(Save, AReadOnlyFileIsNotReplaced) {
  FillRows(3);
  const fs::path p = dir / "ro.txt";
  std::ofstream(p) << "ro";
  fs::permissions(p, fs::perms::owner_read);
  auto bind = testos::MakePermissionsBind();
  if (!bind) GTEST_SKIP() << "permissions do not bind this user";
  sys.AnswerNextBox(IDYES);
  SaveAs(p);
  bind.reset();
  EXPECT_EQ(LastBox().text, "\"" + p.string() + "\" could not be written: it is read-only or access is denied.");
  EXPECT_EQ(Slurp(p), "ro");
}

// ---- How a file is replaced ----------------------------------------------------------------

TEST_F(Save, AnUnrelatedFileNamedLikeAnOldTemporaryIsLeftAlone) {
  FillRows(3);
  std::ofstream(dir / "out.txt.saving") << "unrelated";
  SaveAs(dir / "out.txt");
  EXPECT_EQ(LastBox().text, "Save OK!");
  EXPECT_EQ(Slurp(dir / "out.txt.saving"), "unrelated");
  EXPECT_EQ(Files(), (std::vector<std::string>{"out.txt", "out.txt.saving"})) << "nothing else is left";
}

TEST_F(Save, ALinkIsFollowedAndTheFileItNamesIsReplaced) {
  FillRows(3);
  fs::create_directories(dir / "real");
  std::ofstream(dir / "real" / "log.txt") << "old";
  std::error_code ec;
  fs::create_symlink(dir / "real" / "log.txt", dir / "link.txt", ec);
  if (ec) GTEST_SKIP() << "this system makes no symbolic link here: " << ec.message();
  sys.AnswerNextBox(IDYES);
  SaveAs(dir / "link.txt");
  EXPECT_EQ(LastBox().text, "Save OK!");
  EXPECT_TRUE(fs::is_symlink(dir / "link.txt")) << "the link stays a link";
  EXPECT_EQ(Slurp(dir / "real" / "log.txt"), FormatRecordList(dlg->m_listRecords));
  std::vector<std::string> real;
  for (const auto& e : fs::directory_iterator(dir / "real")) real.push_back(e.path().filename().string());
  EXPECT_EQ(real, std::vector<std::string>{"log.txt"});
}

TEST_F(Save, TheReplacedFileKeepsItsPermissions) {
  FillRows(3);
  const fs::path p = dir / "kept.txt";
  std::ofstream(p) << "old";
  ASSERT_TRUE(testos::SetFilePermissions(p.string(), testos::DistinctPermissions()));
  sys.AnswerNextBox(IDYES);
  SaveAs(p);
  EXPECT_EQ(LastBox().text, "Save OK!");
  EXPECT_EQ(testos::FilePermissions(p.string()), testos::DistinctPermissions());
  EXPECT_EQ(Slurp(p), FormatRecordList(dlg->m_listRecords));
}

TEST_F(Save, AFileWithOtherNamesKeepsThemAll) {
  FillRows(3);
  std::ofstream(dir / "a.txt") << "old";
  std::error_code ec;
  fs::create_hard_link(dir / "a.txt", dir / "b.txt", ec);
  if (ec) GTEST_SKIP() << "this system makes no hard link here: " << ec.message();
  sys.AnswerNextBox(IDYES);
  SaveAs(dir / "a.txt");
  EXPECT_EQ(LastBox().text, "Save OK!");
  EXPECT_EQ(Slurp(dir / "b.txt"), FormatRecordList(dlg->m_listRecords)) << "the other name still names the file";
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST_F(Save, AWritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
  FillRows(3);
  const fs::path folder = dir / "locked";
  fs::create_directories(folder);
  const fs::path p = folder / "log.txt";
  std::ofstream(p) << "an older and longer export that the new text must fully replace";
  fs::permissions(p, fs::perms::all);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  auto bind = testos::MakePermissionsBind();
  if (!bind) GTEST_SKIP() << "folder permissions do not bind this user";
  sys.AnswerNextBox(IDYES);
  SaveAs(p);
  const fs::path fresh = folder / "new.txt";
  SaveAs(fresh);  // a new file cannot be made there at all
  bind.reset();
  ASSERT_EQ(BoxTexts().size(), 3u);
  EXPECT_EQ(BoxTexts()[1], "Save OK!");
  EXPECT_EQ(Slurp(p), FormatRecordList(dlg->m_listRecords));
  EXPECT_EQ(BoxTexts()[2], "\"" + fresh.string() + "\" could not be written: it is read-only or access is denied.");
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"log.txt"});
}

TEST(FileErrors, NameTheirCauseInWords) {
  struct Case {
    int err;
    CFileException::Cause cause;
    const char* why;
  } cases[] = {{ENOENT, CFileException::badPath, "the folder does not exist"},
               {EACCES, CFileException::accessDenied, "it is read-only or access is denied"},
               {EROFS, CFileException::accessDenied, "it is read-only or access is denied"},
               {EWOULDBLOCK, CFileException::sharingViolation, "it is held by another program"},
               {ENOSPC, CFileException::diskFull, "the disk is full"},
               {EFBIG, CFileException::diskFull, "the disk is full"}};
  for (const auto& c : cases) {
    const CFileException e = MakeFileException(c.err, "/x", "written");
    EXPECT_EQ(e.m_cause, c.cause);
    EXPECT_EQ(e.m_why, c.why);
    EXPECT_EQ(e.Description(), std::string("\"/x\" could not be written: ") + c.why + ".");
  }
}

}  // namespace
