#pragma once
// Dialogs built from templates, with their modal loop and default OK and Cancel handling, and
// the data exchange between a dialog's controls and its members.

#include <memory>

#include "platform/wnd.h"

class CDataExchange {
 public:
  CDataExchange(CWnd* dlg, BOOL saveAndValidate) : m_pDlgWnd(dlg), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
  bool m_failed = false;
};

void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_DateTimeCtrl(CDataExchange* dx, int id, CTime& value);

class CDialog : public CWnd {
 public:
  explicit CDialog(int templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // Creates the dialog, runs OnInitDialog and its modal loop, destroys it; the EndDialog result.
  virtual long DoModal();
  // Creates the dialog without a modal loop (the caller drives it); false on failure.
  bool Create();
  void DestroyWindow();
  void EndDialog(int result);
  bool IsEnded() const;
  DialogWindow* Window() const { return static_cast<DialogWindow*>(m_hWnd); }

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

 protected:
  static const MessageMap* GetThisMessageMap();
  const MessageMap* GetMessageMap() const override;
  static const EventSinkMap* GetThisEventSinkMap();
  const EventSinkMap* GetEventSinkMap() const override;
  LRESULT DefaultMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  int m_templateId;
  std::unique_ptr<DialogWindow> m_window;
};

// The dialog that is active now (the last created of those alive), or nullptr.
DialogWindow* AfxActiveDialog();
