// The operas browser: choose a work, open its notes and movies.
#pragma once

#include <QWidget>
#include <cstdint>

class TFormTreeView : public QWidget {
  Q_OBJECT
 public:
  explicit TFormTreeView(QWidget* parent = nullptr);

  void ShowTool(bool show);
  // Shows the opera with this Id; notify tells whether the main window hears of it.
  void SelectOpera(std::int32_t Id, bool notify);
  void ShowOpera(int index, bool notify);
};
