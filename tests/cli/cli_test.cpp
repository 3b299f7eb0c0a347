// The command line's basic options.
#include <gtest/gtest.h>

#include <string>

#include "common/test_files.h"

namespace {

TEST(Cli, VersionPrintsTheProgramVersion) {
  int status = -1;
  EXPECT_EQ(tessel::test::RunCli("--version", status), std::string("tessel-cli ") + TESSEL_VERSION + "\n");
  EXPECT_EQ(status, 0);
}

TEST(Cli, HelpNamesTheProgram) {
  int status = -1;
  std::string output = tessel::test::RunCli("--help", status);
  EXPECT_NE(output.find("tessel-cli"), std::string::npos);
  EXPECT_EQ(status, 0);
}

TEST(Cli, UnknownOptionFails) {
  int status = 0;
  tessel::test::RunCli("--no-such-option", status);
  EXPECT_NE(status, 0);
}

}  // namespace
