// The operas browser: choose a work, open its notes and movies.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "data/tdatabanker.h"

class QComboBox;
class QEvent;
class QFrame;
class QHideEvent;
class QTreeWidget;
class QTreeWidgetItem;
class TFormMediaPlayer;
class TFormTextViewer;

namespace Ui {
class FormTreeView;
}

class TFormTreeView : public QWidget {
  Q_OBJECT
 public:
  // The opera list comes from banker (none without one).
  explicit TFormTreeView(TDataBanker* banker, QWidget* parent = nullptr);
  ~TFormTreeView() override;

  // The windows that show the notes and play the movies this window opens.
  void SetContentWindows(TFormTextViewer* textViewer, TFormMediaPlayer* mediaPlayer);

  void ShowTool(bool show);
  // Shows the opera with this Id; notify tells whether OperaChosen is emitted.
  void SelectOpera(std::int32_t Id, bool notify);
  void ShowOpera(int index, bool notify);

  // The opera list, read once from the data banker.
  void FillOperas();
  // Only the three fixed nodes, expanded, "Contribs" selected.
  void ResetTree();
  // Opens the selected note or movie; the fixed nodes open nothing.
  void ActivateItem();

  // Handlers.
  void ComboBoxOperasChange(int index);
  void TreeViewDblClick();
  void TreeViewKeyPress();

  // The operas of the list, then the current opera's movies and notes. The item nodes refer to
  // their records by index, and both are always rebuilt together.
  TVecInfos OperaItems;
  TVecInfos MovieItems;
  TVecInfos NoteItems;

  QFrame* PanelTop = nullptr;
  QComboBox* ComboBoxOperas = nullptr;
  QTreeWidget* TreeView = nullptr;
  QTreeWidgetItem* NodeContribs = nullptr;
  QTreeWidgetItem* NodeNotes = nullptr;
  QTreeWidgetItem* NodeMovies = nullptr;

 signals:
  // An opera was chosen in the list (not one shown on request without notifying).
  void OperaChosen(std::int32_t Id);
  // A note or a movie is about to open: the background sound gives way to it.
  void ContentOpening();

 protected:
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createTreeView();
  void connectSignals();
  void FormCreate();
  void FormHide();

  void HideContentWindows();
  void AddItemNodes(QTreeWidgetItem* parent, const TVecInfos& items);
  // The record a node refers to, or null for the fixed nodes.
  const TagInfo* ItemOf(const QTreeWidgetItem* node) const;
  void OpenMovie(const TagInfo& item);
  void OpenNote(const TagInfo& item);

  std::unique_ptr<Ui::FormTreeView> ui;
  TDataBanker* Banker = nullptr;
  QPointer<TFormTextViewer> TextViewer;
  QPointer<TFormMediaPlayer> MediaPlayer;
};
