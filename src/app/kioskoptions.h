// The program's command line, which only a kiosk uses, and the staff code from kiosk.conf.
//   pinacora [--kiosk] [--idle-return SECONDS]
// Without options the program is the ordinary desktop program.
#pragma once

#include <QString>
#include <QStringList>

struct TKioskOptions {
  // Visitors cannot end the program; the tool windows are sized for fingers.
  bool Kiosk = false;
  // Seconds without a key or mouse event after which the tour comes back; 0: never.
  int IdleReturnSeconds = 0;
  // What Exit and a close request ask for under --kiosk; empty: they do nothing.
  QString StaffCode;
  bool Help = false;
  // Set when the command line cannot be used; the text names the word and what to do.
  QString Error;

  // The arguments without the program's name (Qt's own options already removed).
  static TKioskOptions Parse(const QStringList& arguments);
  static QString Usage();

  // ${XDG_CONFIG_HOME:-~/.config}/pinacora/kiosk.conf
  static QString ConfigPath();
  // The last KEY=VALUE line for key in the file, trimmed; empty when there is none.
  static QString ReadSetting(const QString& path, const QString& key);
};
