#include "tests/platform/contract_dialog.h"

#include "platform/headless/headless.h"

namespace contract {

namespace {
constexpr DWORD kButton = 0x50010000;
constexpr ControlTemplate kControls[] = {
    {kEditA, ControlKind::Edit, nullptr, 10, 10, 60, 14, 0x50810080, 0, nullptr},
    {kEditB, ControlKind::Edit, nullptr, 10, 30, 60, 14, 0x50810080, 0, nullptr},
    {kGo, ControlKind::PushButton, "Go", 80, 10, 40, 14, kButton, 0, nullptr},
    {kBoom, ControlKind::PushButton, "Boom", 80, 30, 40, 14, kButton, 0, nullptr},
    {kHidden, ControlKind::PushButton, "Hidden", 80, 50, 40, 14, 0x40010000, 0, nullptr},
    {kCombo, ControlKind::ComboBox, nullptr, 10, 50, 60, 80, 0x50210003, 0, nullptr},
    {kList, ControlKind::ListView, nullptr, 130, 10, 120, 100, 0x50810001, 0, nullptr},
    {kComm, ControlKind::HostedControl, nullptr, 10, 90, 20, 20, 0x50010000, 0,
     "{648A5600-2C6E-101B-82B6-000000000014}"},
};
constexpr DialogTemplate kDialog = {kDialogId, 0x90CA00C0, 0, 0, 0, 260, 120, "Contract", 9, "Sans", 0, false, 1,
                                    kControls};
constexpr ResourceTable kTable = {
    [](int id) -> const DialogTemplate* { return id == kDialogId ? &kDialog : nullptr; },
    [](int) -> const IconResource* { return nullptr; },
    [](int id) -> const char* { return id == 57344 ? "Contract Title" : nullptr; }};
}  // namespace

const ResourceTable& Resources() { return kTable; }

BEGIN_MESSAGE_MAP(ContractDialog, CDialog)
  ON_EN_CHANGE(kEditA, OnChangeA)
  ON_EN_KILLFOCUS(kEditA, OnKillFocusA)
  ON_EN_CHANGE(kEditB, OnChangeB)
  ON_EN_KILLFOCUS(kEditB, OnKillFocusB)
  ON_BN_CLICKED(kGo, OnGo)
  ON_BN_CLICKED(kBoom, OnBoom)
  ON_BN_CLICKED(kHidden, OnHiddenClick)
  ON_WM_TIMER()
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(ContractDialog, CDialog)
  ON_EVENT(ContractDialog, kComm, 1, OnComm, VTS_NONE)
END_EVENTSINK_MAP()

void ContractDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, kEditA, m_editA);
  DDX_Control(dx, kCombo, m_combo);
  DDX_Control(dx, kList, m_list);
  DDX_Control(dx, kComm, m_comm);
}

void ContractDialog::OnKillFocusA() {
  log.push_back("kill:A");
  if (boxOnKillFocus.empty()) return;
  MessageBox(boxOnKillFocus.c_str(), "warning");
  if (refocusAfterBox) m_editA.SetFocus();
}

void ContractDialog::OnGo() {
  log.push_back("click:Go");
  if (onGo) onGo(*this);
}

void ContractDialog::OnTimer(UINT_PTR id) { log.push_back("timer:" + std::to_string(id)); }

void ContractDialog::OnComm() {
  COleVariant input;
  m_comm.InvokeHelper(26, DISPATCH_PROPERTYGET, VT_VARIANT, &input, nullptr);
  log.push_back("comm:" + std::to_string(input.array.data.size()));
}

namespace {

class HeadlessDriver : public Driver {
 public:
  HeadlessDriver() { m_sys.AddPort(7, nullptr); }
  PlatformServices Services() override { return m_sys.Services(); }
  void Wait(double ms) override { m_sys.Advance(ms); }
  bool Click(DialogWindow&, int id) override { return m_sys.Click(id); }
  bool PressReleasedInBox(DialogWindow&, int id) override {
    // The release goes to the box: the control never sees it.
    const unsigned before = AfxClickSerial();
    m_sys.Press(id);
    return AfxClickSerial() != before;
  }
  void Type(DialogWindow& dlg, int id, const std::string& text) override { user::Type(dlg, id, text); }
  void PressKey(DialogWindow& dlg, user::Key key) override { user::PressKey(dlg, key); }
  void AnswerNextBox(int button, double holdMs) override {
    m_sys.AnswerNextBox([this, button, holdMs](const headless::BoxRecord&) {
      m_sys.Advance(holdMs);
      return button;
    });
  }
  int BoxCount() override { return static_cast<int>(m_sys.Boxes().size()); }
  std::string BoxText(int i) override { return m_sys.Boxes()[static_cast<std::size_t>(i)].text; }
  std::string BoxCaption(int i) override { return m_sys.Boxes()[static_cast<std::size_t>(i)].caption; }
  UINT BoxType(int i) override { return m_sys.Boxes()[static_cast<std::size_t>(i)].type; }
  bool SendSerialAfter(double ms, const std::vector<std::uint8_t>& bytes) override {
    m_sys.SendFromDevice(7, static_cast<std::int64_t>(ms * 1000), bytes);
    return true;
  }
  int SerialPortNumber() override { return 7; }

 private:
  headless::HeadlessSystem m_sys;
};

}  // namespace

std::unique_ptr<Driver> MakeHeadlessDriver() { return std::make_unique<HeadlessDriver>(); }

}  // namespace contract
