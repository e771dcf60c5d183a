#include "storage/app_settings.h"

#include <gtest/gtest.h>

namespace portalmend {
namespace {

TEST(AppSettings, ResetRestoresTheStartValues) {
  theApp.busy_flag = 1;
  theApp.abort_flag = 1;
  theApp.recovery_option = CQuillonLedgerlineProjApp::kDocuments;
  theApp.recovery_mode = CQuillonLedgerlineProjApp::kAdvancedMode;
  theApp.collation_automatic = 0;
  theApp.collation_manual_id = 53256;
  theApp.database_version = "SQL Server 2008";
  theApp.log_file.reset(std::tmpfile());
  EXPECT_TRUE(theApp.advanced_mode());
  theApp.reset();
  EXPECT_EQ(theApp.busy_flag.load(), 0);
  EXPECT_EQ(theApp.abort_flag.load(), 0);
  EXPECT_EQ(theApp.recovery_option.load(), CQuillonLedgerlineProjApp::kCompleteDatabase);
  EXPECT_FALSE(theApp.advanced_mode());
  EXPECT_EQ(theApp.collation_automatic.load(), 1);
  EXPECT_EQ(theApp.collation_manual_id.load(), 0);
  EXPECT_TRUE(theApp.database_version.empty());
  EXPECT_EQ(theApp.log_file, nullptr);
}

}  // namespace
}  // namespace portalmend
