// The entry routine: the application, the main window, the (never shown) about box, the loop.
#include <QStandardPaths>
#include <QDir>
#include <exception>
#include <memory>

#include "common/dialogs.h"
#include "common/globals.h"
#include "modalfocus.h"
#include "common/tapplication.h"
#include "data/tdatabanker.h"
#include "windows/tdlgabout.h"
#include "common/texts.h"
#include "tformmain.h"

namespace {

void ShowFatalMessage(const std::string& caption, const std::string& text) {
  Dialogs::ShowMessage(FromCp1252(caption), FromCp1252(text), QMessageBox::Critical);
}

// The temporary movie file lives in the user's own cache folder, private to the user.
std::string MovieFolder() {
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  if (folder.isEmpty() || !QDir().mkpath(folder)) return {};
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return QDir::cleanPath(folder).toStdString();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    TApplication application(argc, argv);
    application.QuitOnTerminationSignals();
    TModalFocus modalFocus;
    if (TApplication::platformName() == QLatin1String("xcb")) application.installNativeEventFilter(&modalFocus);
    TDataBanker::SetFatalHandler(ShowFatalMessage);
    TDataBanker::SetMovieFolderProvider(MovieFolder);

    std::unique_ptr<TFormMain> mainWindow;
    try {
      mainWindow = std::make_unique<TFormMain>();
    } catch (...) {
      FormMain = nullptr;
      throw;
    }
    mainWindow->FormCreate();
    auto* about = new TDlgAbout(mainWindow.get());
    DlgAbout = about;

    TApplication::exec();
  } catch (const std::exception& error) {
    TApplication::ShowException(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    TApplication::ShowException(QString());
  }
  return 0;
}
