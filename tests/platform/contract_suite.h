#pragma once
// The contract suite's fixture; each backend instantiates the suite with its driver.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "tests/platform/contract_dialog.h"

namespace contract {

using Log = std::vector<std::string>;

class Contract : public ::testing::TestWithParam<std::unique_ptr<Driver> (*)()> {
 protected:
  void SetUp() override {
    driver = GetParam()();
    AfxSetResources(&Resources());
    AfxSetServices(driver->Services());
    dlg = std::make_unique<ContractDialog>();
    ASSERT_TRUE(dlg->Create());
    dlg->log.clear();
  }
  void TearDown() override {
    dlg.reset();
    AfxSetServices({});
  }
  DialogWindow& W() { return *dlg->Window(); }
  void Wait(double ms) { driver->Wait(ms * driver->TimeScale()); }
  UINT Ms(double ms) { return static_cast<UINT>(ms * driver->TimeScale()); }

  std::unique_ptr<Driver> driver;
  std::unique_ptr<ContractDialog> dlg;
};


}  // namespace contract
