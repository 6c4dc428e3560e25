// The window-system contract, run against each backend through its driver.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/platform/contract_suite.h"

namespace contract {

TEST_P(Contract, TimerReArmedBeforeExpiryFiresOnceAtTheLaterTime) {
  dlg->SetTimer(1, Ms(100), nullptr);
  Wait(60);
  dlg->SetTimer(1, Ms(100), nullptr);  // restarts the interval: due at 160
  Wait(60);
  EXPECT_EQ(dlg->log, Log{}) << "the first arming must not fire";
  Wait(80);
  EXPECT_EQ(dlg->log, Log{"timer:1"});
  dlg->KillTimer(1);
  Wait(300);
  EXPECT_EQ(dlg->log, Log{"timer:1"});
}

TEST_P(Contract, TimerRepeatsUntilStopped) {
  dlg->SetTimer(2, Ms(100), nullptr);
  Wait(350);
  dlg->KillTimer(2);
  Wait(200);
  EXPECT_EQ(dlg->log, (Log{"timer:2", "timer:2", "timer:2"}));
}

TEST_P(Contract, BoxLeftOpenLetsTimersAndSerialBytesBeHandledInsideIt) {
  // Open the port, then from a click show a box that stays open for 300 ms.
  const COleVariant port = COleVariant::Short(static_cast<short>(driver->SerialPortNumber()));
  const COleVariant binary = COleVariant::Long(1), one = COleVariant::Short(1), open = COleVariant::Bool(true);
  dlg->m_comm.InvokeHelper(4, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, &port);
  dlg->m_comm.InvokeHelper(29, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, &binary);
  dlg->m_comm.InvokeHelper(21, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, &one);
  dlg->m_comm.InvokeHelper(20, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, &open);
  Log insideBox;
  dlg->onGo = [&](ContractDialog& d) {
    d.SetTimer(5, Ms(100), nullptr);
    driver->SendSerialAfter(50 * driver->TimeScale(), {0x41, 0x42, 0x43});
    driver->AnswerNextBox(IDOK, 350 * driver->TimeScale());
    d.MessageBox("Wait", "info");
    insideBox = d.log;
    d.KillTimer(5);
  };
  ASSERT_TRUE(driver->Click(W(), kGo));
  EXPECT_NE(std::find(insideBox.begin(), insideBox.end(), "comm:3"), insideBox.end());
  EXPECT_EQ(std::count(insideBox.begin(), insideBox.end(), "timer:5"), 3) << "100, 200 and 300 ms";
  EXPECT_EQ(driver->BoxCount(), 1);
}

TEST_P(Contract, KillFocusComesBeforeTheClick) {
  driver->Type(W(), kEditA, "12");
  ASSERT_TRUE(driver->Click(W(), kGo));
  EXPECT_EQ(dlg->log, (Log{"change:A:1", "change:A:12", "kill:A", "click:Go"}));
}

TEST_P(Contract, ClickIsDroppedWhenTheKillFocusHandlerShowedABox) {
  dlg->boxOnKillFocus = "too short";
  driver->Type(W(), kEditA, "1");
  EXPECT_FALSE(driver->Click(W(), kGo));
  EXPECT_EQ(dlg->log, (Log{"change:A:1", "kill:A"}));
  ASSERT_EQ(driver->BoxCount(), 1);
  EXPECT_EQ(driver->BoxText(0), "too short");
}

TEST_P(Contract, APressReleasedInsideTheBoxLeavesTheNextClickAlone) {
  dlg->boxOnKillFocus = "too short";
  dlg->refocusAfterBox = true;
  driver->Type(W(), kEditA, "1");
  EXPECT_FALSE(driver->PressReleasedInBox(W(), kGo));
  ASSERT_EQ(driver->BoxCount(), 1);
  dlg->boxOnKillFocus.clear();
  EXPECT_TRUE(driver->Click(W(), kGo)) << "the next press is a new press";
  EXPECT_EQ(dlg->log, (Log{"change:A:1", "kill:A", "kill:A", "click:Go"}));
}

TEST_P(Contract, FrameworkExceptionBecomesOneErrorBoxWithStopIconAndTitle) {
  EXPECT_TRUE(driver->Click(W(), kBoom));
  ASSERT_EQ(driver->BoxCount(), 1);
  EXPECT_EQ(driver->BoxText(0), "The operation failed on purpose.");
  EXPECT_EQ(driver->BoxCaption(0), "Contract Title");
  EXPECT_EQ(driver->BoxType(0) & MB_ICONMASK, MB_ICONSTOP);
  EXPECT_FALSE(dlg->IsEnded());
}

TEST_P(Contract, ProgramTextChangesRaiseTheChangeNotification) {
  dlg->m_editA.SetWindowText("abc");
  dlg->m_editA.SetWindowText("abc");
  EXPECT_EQ(dlg->log, (Log{"change:A:abc", "change:A:abc"}));
}

TEST_P(Contract, HiddenAndDisabledControlsCannotBeUsed) {
  EXPECT_FALSE(driver->Click(W(), kHidden));
  dlg->GetDlgItem(kGo)->EnableWindow(FALSE);
  EXPECT_FALSE(driver->Click(W(), kGo));
  dlg->m_editA.EnableWindow(FALSE);
  driver->Type(W(), kEditA, "x");
  EXPECT_EQ(dlg->log, Log{});
}

TEST_P(Contract, EnterOnAFocusedButtonClicksIt) {
  ASSERT_TRUE(driver->Click(W(), kGo));
  dlg->log.clear();
  driver->PressKey(W(), user::Key::Enter);
  EXPECT_EQ(dlg->log, (Log{"click:Go"}));
  EXPECT_FALSE(dlg->IsEnded());
}

TEST_P(Contract, EnterInAnEditEndsTheDialogWithOk) {
  driver->Type(W(), kEditB, "x");
  driver->PressKey(W(), user::Key::Enter);
  EXPECT_TRUE(dlg->IsEnded());
  EXPECT_EQ(W().result, IDOK);
}

TEST_P(Contract, EscapeEndsTheDialogWithCancel) {
  driver->PressKey(W(), user::Key::Escape);
  EXPECT_TRUE(dlg->IsEnded());
  EXPECT_EQ(W().result, IDCANCEL);
}

TEST_P(Contract, ComboKeepsInsertionOrderAndSelection) {
  EXPECT_EQ(dlg->m_combo.AddString("COM9"), 0);
  EXPECT_EQ(dlg->m_combo.AddString("COM1"), 1);
  EXPECT_EQ(dlg->m_combo.GetCurSel(), CB_ERR);
  EXPECT_EQ(dlg->m_combo.SetCurSel(1), 1);
  EXPECT_EQ(dlg->m_combo.GetLBText(dlg->m_combo.GetCurSel()), "COM1");
  EXPECT_EQ(dlg->m_combo.SetCurSel(5), CB_ERR);
  dlg->m_combo.ResetContent();
  EXPECT_EQ(dlg->m_combo.GetCount(), 0);
}

TEST_P(Contract, ListHoldsColumnsItemsAndSubitems) {
  dlg->m_list.SetExtendedStyle(dlg->m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  EXPECT_EQ(dlg->m_list.GetExtendedStyle(), 0x21u);
  dlg->m_list.InsertColumn(0, "", LVCFMT_CENTER, 0, 0);
  dlg->m_list.InsertColumn(1, "A", LVCFMT_CENTER, 50, 1);
  EXPECT_EQ(dlg->m_list.InsertItem(0, ""), 0);
  EXPECT_EQ(dlg->m_list.InsertItem(0, "first"), 0);
  EXPECT_TRUE(dlg->m_list.SetItemText(1, 1, "x"));
  EXPECT_FALSE(dlg->m_list.SetItemText(2, 1, "nowhere"));
  EXPECT_EQ(dlg->m_list.GetItemCount(), 2);
  EXPECT_EQ(dlg->m_list.GetItemText(0, 0), "first");
  EXPECT_EQ(dlg->m_list.GetItemText(1, 1), "x");
  EXPECT_EQ(dlg->m_list.GetItemText(7, 1), "");
  dlg->m_list.DeleteAllItems();
  EXPECT_EQ(dlg->m_list.GetItemCount(), 0);
  EXPECT_EQ(dlg->m_list.GetColumnWidth(1), 50);
}


}  // namespace contract
