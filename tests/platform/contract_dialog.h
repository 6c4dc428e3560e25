#pragma once
// A small dialog and a driver interface for the window-system contract: the behaviours the
// system code relies on, run against every backend.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/afxwin.h"
#include "platform/user_input.h"

namespace contract {

constexpr int kDialogId = 900;
constexpr int kEditA = 10;
constexpr int kEditB = 11;
constexpr int kGo = 20;
constexpr int kBoom = 21;
constexpr int kHidden = 22;
constexpr int kCombo = 30;
constexpr int kList = 40;
constexpr int kComm = 50;

const ResourceTable& Resources();

// Records every notification it receives, in order.
class ContractDialog : public CDialog {
 public:
  ContractDialog() : CDialog(kDialogId) {}
  std::vector<std::string> log;
  // Shown by the kill-focus handler of edit A when set; with |refocusAfterBox| the focus then
  // goes back to A, as an input check does.
  std::string boxOnKillFocus;
  bool refocusAfterBox = false;
  // Run by the click handler of button Go.
  std::function<void(ContractDialog&)> onGo;

  CEdit m_editA;
  CComboBox m_combo;
  CListCtrl m_list;
  CWnd m_comm;

  void OnChangeA() { log.push_back("change:A:" + GetDlgItemText(kEditA)); }
  void OnKillFocusA();
  void OnChangeB() { log.push_back("change:B"); }
  void OnKillFocusB() { log.push_back("kill:B"); }
  void OnGo();
  void OnBoom() { throw CException("The operation failed on purpose."); }
  void OnHiddenClick() { log.push_back("click:hidden"); }
  void OnTimer(UINT_PTR id);
  void OnComm();

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  DECLARE_MESSAGE_MAP()
  DECLARE_EVENTSINK_MAP()
};

// What a backend offers the contract suite: the operator's actions and the passing of time.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual PlatformServices Services() = 0;
  virtual void Wait(double ms) = 0;
  virtual bool Click(DialogWindow& dlg, int id) = 0;
  // Presses button |id| and releases it while the box its focus change showed is still open;
  // the box is then answered with OK. True when a click reached the handler.
  virtual bool PressReleasedInBox(DialogWindow& dlg, int id) = 0;
  virtual void Type(DialogWindow& dlg, int id, const std::string& text) = 0;
  virtual void PressKey(DialogWindow& dlg, user::Key key) = 0;
  // The next box is answered with |button| after |holdMs| of open time.
  virtual void AnswerNextBox(int button, double holdMs) = 0;
  virtual int BoxCount() = 0;
  virtual std::string BoxText(int index) = 0;
  virtual std::string BoxCaption(int index) = 0;
  virtual UINT BoxType(int index) = 0;
  // Bytes arriving on the dialog's serial port |ms| from now; false if the backend has no
  // scriptable serial line.
  virtual bool SendSerialAfter(double ms, const std::vector<std::uint8_t>& bytes) = 0;
  virtual int SerialPortNumber() = 0;
  // Real-time backends stretch the suite's intervals so that scheduling jitter stays well
  // inside the margins; the virtual clock needs none.
  virtual double TimeScale() { return 1.0; }
};

std::unique_ptr<Driver> MakeHeadlessDriver();

}  // namespace contract
