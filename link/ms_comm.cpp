#include "link/ms_comm.h"

using namespace commdisp;

namespace {
void Put(CMSComm* comm, DISPID id, const COleVariant& value) {
  comm->InvokeHelper(id, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, &value);
}
}  // namespace

void CMSComm::SetCommPort(short value) { Put(this, kCommPort, COleVariant::Short(value)); }
void CMSComm::SetInBufferSize(short value) { Put(this, kInBufferSize, COleVariant::Short(value)); }
void CMSComm::SetInputLen(short value) { Put(this, kInputLen, COleVariant::Short(value)); }
void CMSComm::SetOutBufferSize(short value) { Put(this, kOutBufferSize, COleVariant::Short(value)); }
void CMSComm::SetPortOpen(BOOL value) { Put(this, kPortOpen, COleVariant::Bool(value != FALSE)); }
void CMSComm::SetRThreshold(short value) { Put(this, kRThreshold, COleVariant::Short(value)); }
void CMSComm::SetSettings(const char* value) { Put(this, kSettings, COleVariant::Text(value)); }
void CMSComm::SetOutput(const COleVariant& value) { Put(this, kOutput, value); }
void CMSComm::SetInputMode(long value) { Put(this, kInputMode, COleVariant::Long(value)); }

BOOL CMSComm::GetPortOpen() {
  BOOL result = FALSE;
  InvokeHelper(kPortOpen, DISPATCH_PROPERTYGET, VT_BOOL, &result, nullptr);
  return result;
}

COleVariant CMSComm::GetInput() {
  COleVariant result;
  InvokeHelper(kInput, DISPATCH_PROPERTYGET, VT_VARIANT, &result, nullptr);
  return result;
}

short CMSComm::GetCommEvent() {
  short result = 0;
  InvokeHelper(kCommEvent, DISPATCH_PROPERTYGET, VT_I2, &result, nullptr);
  return result;
}
