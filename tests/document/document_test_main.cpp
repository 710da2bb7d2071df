// Runs the document tests in one core application object: no display, no widgets.

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "tests/support/test_exit.h"

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return EndTests(RUN_ALL_TESTS());
}
