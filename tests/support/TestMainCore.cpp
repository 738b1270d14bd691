#include <gtest/gtest.h>
#include <QCoreApplication>

#include "tests/support/TestEnvironment.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  testenv::prepareProcess();
  return RUN_ALL_TESTS();
}
