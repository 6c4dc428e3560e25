#pragma once
// Wrapper of the hosted serial control: one method per property access, each one dispatch call.

#include "platform/afxwin.h"

class CMSComm : public CWnd {
 public:
  void SetCommPort(short value);
  void SetInBufferSize(short value);
  void SetInputLen(short value);
  void SetOutBufferSize(short value);
  BOOL GetPortOpen();
  void SetPortOpen(BOOL value);
  void SetRThreshold(short value);
  void SetSettings(const char* value);
  void SetOutput(const COleVariant& value);
  COleVariant GetInput();
  short GetCommEvent();
  void SetInputMode(long value);
};
