// One UI application for the whole test binary, on the offscreen platform
// unless the caller chose another.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/toolkit_app.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int qtArgc = 1;
  static char name[] = "test_toolkit";
  static char* qtArgv[] = {name, nullptr};
  talmi::InitToolkit(qtArgc, qtArgv);
  int rc = RUN_ALL_TESTS();
  talmi::ShutdownToolkit();
  return rc;
}
