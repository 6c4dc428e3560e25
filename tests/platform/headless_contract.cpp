#include "tests/platform/contract_suite.h"

namespace contract {
INSTANTIATE_TEST_SUITE_P(Headless, Contract, ::testing::Values(&MakeHeadlessDriver),
                         [](const auto&) { return std::string("headless"); });
}  // namespace contract
