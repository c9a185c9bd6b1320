// GoogleTest main for the developer tools: a QApplication and the examiner-viewer binding.
#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <Inventor/Qt/SoQt.h>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget top;
  SoQt::init(&top);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
