// The Qt backend with the real main window: the template as a window, the list, boxes and
// the Save As dialog as the operator sees them.

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "console/quillon_dlg.h"
#include "platform/headless/headless.h"
#include "platform/qt/qt_window_system.h"
#include "res/resources.h"

namespace {

using qtbackend::QtWindowSystem;

class QtWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.SetSerialPortValues({{"/dev/ttyUSB0", "COM3"}, {"/dev/pts/4", "COM12"}});
    windows.SetItemTooltips([](const std::string& name) { return "tip for " + name; });
    AfxSetResources(&res::Table());
    AfxSetServices({&windows, &registry, &registry});
  }
  void TearDown() override {
    dlg.reset();
    AfxSetServices({});
  }
  void Start() {
    dlg = std::make_unique<CQuillonDlg>();
    ASSERT_TRUE(dlg->Create());
    QApplication::processEvents();
  }
  QWidget* W(int id) { return windows.Widget(dlg->Window()->Find(id)); }

  QtWindowSystem windows;
  headless::HeadlessSystem registry;  // an in-memory port list and no serial lines
  std::unique_ptr<CQuillonDlg> dlg;
};

TEST_F(QtWindow, AssistiveTechnologyFindsEveryControlByName) {
  Start();
  auto name = [this](int id) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(W(id));
    return a ? a->text(QAccessible::Name).toStdString() : std::string("<none>");
  };
  const std::pair<int, const char*> named[] = {{1000, "OPEN"},          {1002, "Password"},
                                                {1007, "Password read back"}, {1011, "Alarm angle"},
                                                {1006, "Date"},          {1009, "Time"},
                                                {1001, "COM port"},      {1020, "Ready"},
                                                {1015, "Read Alarm Record"}};
  for (const auto& [id, want] : named) EXPECT_EQ(name(id), want) << id;

  // The drop-down list: named, its entry as its value, its list as its child, opened by its action.
  QAccessibleInterface* combo = QAccessible::queryAccessibleInterface(W(1001));
  EXPECT_EQ(combo->role(), QAccessible::ComboBox);
  EXPECT_EQ(combo->text(QAccessible::Value).toStdString(), "COM3");
  ASSERT_EQ(combo->childCount(), 1);
  EXPECT_EQ(combo->child(0)->object(), static_cast<QComboBox*>(W(1001))->view());
  combo->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(static_cast<QComboBox*>(W(1001))->view()->isVisible());
  static_cast<QComboBox*>(W(1001))->hidePopup();

  dlg->ShowReading();
  EXPECT_EQ(name(1020), "Reading") << "the lamp is named by the status word it shows";
  dlg->ShowFail();
  EXPECT_EQ(name(1020), "Fail");
}

TEST_F(QtWindow, BuildsTheTemplateAsAFixedSizeWindow) {
  Start();
  QWidget* window = windows.Widget(dlg->Window());
  EXPECT_EQ(window->windowTitle().toStdString(), "Korvex-12");
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_TRUE(W(1021)->isHidden()) << "the test button is never shown";
  auto* open = static_cast<QPushButton*>(W(1000));
  EXPECT_EQ(open->text().toStdString(), "OPEN");
  EXPECT_FALSE(open->autoDefault());
  EXPECT_FALSE(open->isDefault());
  // Controls keep the template's relative layout: the list left of the buttons.
  EXPECT_LT(W(1010)->geometry().right(), W(1015)->geometry().left());
  EXPECT_EQ(dlg->m_listRecords.GetColumnWidth(2), (dlg->Window()->Find(1010)->clientWidth - 40) / 4);
}

TEST_F(QtWindow, FillingFourThousandRowsRefreshesTheListOnce) {
  Start();
  auto* table = static_cast<QTableView*>(W(1010));
  int resets = 0;
  QObject::connect(table->model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
  windows.SetBoxAutomation([](const qtbackend::BoxSeen&) { return std::make_pair(IDOK, 0); });
  dlg->LoadTestRecords();
  QApplication::processEvents();
  EXPECT_EQ(resets, 1);
  EXPECT_EQ(table->model()->rowCount(), 4000);
  EXPECT_EQ(table->model()->index(3999, 1).data().toString().toStdString(), "4000");
  EXPECT_TRUE(table->showGrid());
  EXPECT_EQ(table->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(table->selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(table->columnWidth(0), 0);
}

TEST_F(QtWindow, ClosingWithAListRefreshPendingLeavesNothingBehind) {
  Start();
  windows.SetBoxAutomation([](const qtbackend::BoxSeen&) { return std::make_pair(IDOK, 0); });
  dlg->LoadTestRecords();
  dlg->ClearRecordList();  // queues the list's refresh; no box runs it
  dlg->DestroyWindow();
  QApplication::processEvents();  // the refresh must not read the freed window
  EXPECT_EQ(dlg->Window(), nullptr);
  EXPECT_TRUE(QApplication::topLevelWidgets().empty() ||
              std::none_of(QApplication::topLevelWidgets().begin(), QApplication::topLevelWidgets().end(),
                           [](QWidget* w) { return w->windowTitle() == QStringLiteral("Korvex-12"); }));
}

TEST_F(QtWindow, PortEntriesCarryTheirTooltips) {
  Start();
  auto* combo = static_cast<QComboBox*>(W(1001));
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1).toStdString(), "COM12");
  EXPECT_EQ(combo->itemData(1, Qt::ToolTipRole).toString().toStdString(), "tip for COM12");
  EXPECT_EQ(combo->currentIndex(), 0);
}

TEST_F(QtWindow, BoxesHaveTheButtonsAndIconsTheyAskFor) {
  Start();
  struct Case {
    UINT type;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton press;
    int want;
  } cases[] = {
      {MB_OK, QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok, IDOK},
      {MB_OKCANCEL, QMessageBox::NoIcon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel, IDCANCEL},
      {MB_OK | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok, IDOK},
      {MB_OK | MB_ICONSTOP, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, IDOK},
  };
  for (const auto& c : cases) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    std::string title;
    QTimer::singleShot(50, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      icon = box->icon();
      buttons = box->standardButtons();
      title = box->windowTitle().toStdString();
      box->button(c.press)->click();
    });
    EXPECT_EQ(windows.MessageBox(dlg->Window(), "text\n", "warning", c.type), c.want);
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(buttons, c.buttons);
    EXPECT_EQ(title, "warning");
  }
}

TEST_F(QtWindow, SaveAsDialogShowsTheFilterDefaultExtensionAndName) {
  Start();
  QStringList filters;
  QString suffix;
  QStringList selected;
  bool confirms = false;
  QTimer::singleShot(100, [&] {
    auto* fd = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(fd, nullptr);
    filters = fd->nameFilters();
    suffix = fd->defaultSuffix();
    selected = fd->selectedFiles();
    confirms = !fd->testOption(QFileDialog::DontConfirmOverwrite);
    fd->reject();
  });
  CFileDialog dialog(FALSE, "txt", "20191125143005", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "txt Files (*.txt)|*.txt|",
                     dlg.get());
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(filters, QStringList{QStringLiteral("txt Files (*.txt)")});
  EXPECT_EQ(suffix.toStdString(), "txt");
  ASSERT_EQ(selected.size(), 1);
  // The dialog offers the initial name with the default extension it will add.
  EXPECT_TRUE(selected[0].endsWith(QStringLiteral("/20191125143005.txt"))) << selected[0].toStdString();
  EXPECT_TRUE(confirms);
}

}  // namespace
