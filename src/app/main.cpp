// The entry routine: the application, the main window, the (never shown) about box, the loop.
#include <QStandardPaths>
#include <QDir>
#include <cstdio>
#include <exception>
#include <memory>

#include "common/dialogs.h"
#include "common/globals.h"
#include "modalfocus.h"
#include "common/tapplication.h"
#include "data/tdatabanker.h"
#include "windows/tdlgabout.h"
#include "common/texts.h"
#include "idlereturn.h"
#include "kioskmode.h"
#include "kioskoptions.h"
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
  int status = 0;
  try {
    TApplication application(argc, argv);
    // Kiosk behaviour comes only with its options; without them the program is the desktop one.
    const TKioskOptions options = TKioskOptions::Parse(TApplication::arguments().mid(1));
    if (options.Help || !options.Error.isEmpty()) {
      if (!options.Error.isEmpty()) std::fprintf(stderr, "pinacora: %s\n\n", qPrintable(options.Error));
      std::fputs(qPrintable(TKioskOptions::Usage()), options.Help ? stdout : stderr);
      return options.Help ? 0 : 2;
    }
    application.QuitOnTerminationSignals();
    TModalFocus modalFocus;
    if (TApplication::platformName() == QLatin1String("xcb")) application.installNativeEventFilter(&modalFocus);
    TDataBanker::SetFatalHandler(ShowFatalMessage);
    TDataBanker::SetMovieFolderProvider(MovieFolder);

    // Before the windows, so that a kiosk session's request to make way is heard from the start.
    std::unique_ptr<TIdleReturn> idleReturn;
    if (options.Kiosk || options.IdleReturnSeconds > 0) {
      idleReturn = std::make_unique<TIdleReturn>(options.IdleReturnSeconds);
      if (options.Kiosk) idleReturn->EndWhenIdleOnSignal();
    }

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

    std::unique_ptr<TKioskMode> kiosk;
    if (options.Kiosk) {
      kiosk = std::make_unique<TKioskMode>(options.StaffCode);
      kiosk->Apply();
    }
    status = TApplication::exec();
  } catch (const std::exception& error) {
    TApplication::ShowException(QString::fromLocal8Bit(error.what()));
  } catch (...) {
    TApplication::ShowException(QString());
  }
  return status;
}
