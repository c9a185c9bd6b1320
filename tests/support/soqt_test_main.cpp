// GoogleTest main for the suites that drive the program's windows: the program's own application
// object (so that errors reach its exception display) and the examiner-viewer binding.
#include <gtest/gtest.h>

#include <QWidget>
#include <Inventor/Qt/SoQt.h>

#include "common/tapplication.h"

int main(int argc, char** argv) {
  TApplication application(argc, argv);
  QWidget top;
  SoQt::init(&top);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
