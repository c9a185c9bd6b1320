#include "tformtreeview.h"

#include <QComboBox>
#include <QHideEvent>
#include <QKeyEvent>
#include <QTreeWidget>

#include "common/showtool.h"
#include "common/texts.h"
#include "data/gxformat.h"
#include "tformmediaplayer.h"
#include "tformtextviewer.h"
#include "ui_tformtreeview.h"

namespace {
constexpr int kIndent = 64;
// An item node's reference to its record: the record's kind (note or movie) and its index in
// NoteItems or MovieItems. The fixed nodes carry neither.
constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;
const QColor kTeal(0, 128, 128);

// Hides a content window through its own ShowTool when it is on screen; one already hidden is left
// alone, so showing another opera does no work on windows nobody sees.
template <typename TWindow>
void HideTool(const QPointer<TWindow>& window) {
  if (window != nullptr && window->isVisible()) window->ShowTool(false);
}
}  // namespace

TFormTreeView::TFormTreeView(TDataBanker* banker, QWidget* parent)
    : QWidget(parent, Qt::Tool), ui(std::make_unique<Ui::FormTreeView>()), Banker(banker) {
  ui->setupUi(this);
  PanelTop = ui->PanelTop;
  ComboBoxOperas = ui->ComboBoxOperas;
  TreeView = ui->TreeView;
  createTreeView();
  connectSignals();
  FormCreate();
}

TFormTreeView::~TFormTreeView() = default;

void TFormTreeView::SetContentWindows(TFormTextViewer* textViewer, TFormMediaPlayer* mediaPlayer) {
  TextViewer = textViewer;
  MediaPlayer = mediaPlayer;
}

void TFormTreeView::createTreeView() {
  QPalette colours = TreeView->palette();
  colours.setColor(QPalette::Base, colours.color(QPalette::Button));
  colours.setColor(QPalette::Text, kTeal);
  TreeView->setPalette(colours);
  QFont font = TreeView->font();
  font.setBold(true);
  TreeView->setFont(font);
  TreeView->setIndentation(kIndent);
}

void TFormTreeView::connectSignals() {
  // Only the user's own choice: ShowOpera's setCurrentIndex does not come back here.
  connect(ComboBoxOperas, QOverload<int>::of(&QComboBox::activated), this, &TFormTreeView::ComboBoxOperasChange);
  // Double-clicks arrive at the viewport, keys at the tree itself.
  TreeView->viewport()->installEventFilter(this);
  TreeView->installEventFilter(this);
}

void TFormTreeView::FormCreate() {
  FillOperas();
  ResetTree();
}

void TFormTreeView::ShowTool(bool show) { ::ShowTool(this, show); }

// ---- the opera list and the tree

void TFormTreeView::FillOperas() {
  if (Banker == nullptr) return;
  OperaItems.clear();
  Banker->ListOperas(OperaItems);
  ComboBoxOperas->clear();
  for (const TagInfo& opera : OperaItems) ComboBoxOperas->addItem(FromNameBytes(opera.Name));
  // No opera is shown yet, so none is chosen (adding to an empty list would choose the first).
  ComboBoxOperas->setCurrentIndex(-1);
}

void TFormTreeView::ResetTree() {
  TreeView->clear();
  NodeContribs = new QTreeWidgetItem(TreeView, QStringList(QStringLiteral("Contribs")));
  NodeNotes = new QTreeWidgetItem(NodeContribs, QStringList(QStringLiteral("Notes")));
  NodeMovies = new QTreeWidgetItem(NodeContribs, QStringList(QStringLiteral("Movies")));
  TreeView->setIndentation(kIndent);
  TreeView->expandAll();
  TreeView->setCurrentItem(NodeContribs);
}

void TFormTreeView::AddItemNodes(QTreeWidgetItem* parent, const TVecInfos& items) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* node = new QTreeWidgetItem(parent, QStringList(FromNameBytes(items[i].Caption)));
    node->setData(0, kKindRole, items[i].Type);
    node->setData(0, kIndexRole, static_cast<int>(i));
  }
}

const TagInfo* TFormTreeView::ItemOf(const QTreeWidgetItem* node) const {
  if (node == nullptr) return nullptr;
  const QVariant kind = node->data(0, kKindRole);
  const QVariant index = node->data(0, kIndexRole);
  if (!kind.isValid() || !index.isValid()) return nullptr;
  const TVecInfos& items = kind.toInt() == gx::kChunkWmv ? MovieItems : NoteItems;
  const int i = index.toInt();
  return i >= 0 && i < static_cast<int>(items.size()) ? &items[static_cast<std::size_t>(i)] : nullptr;
}

void TFormTreeView::ShowOpera(int index, bool notify) {
  if (OperaItems.empty() || Banker == nullptr) return;
  HideContentWindows();
  const bool valid = index >= 0 && index < static_cast<int>(OperaItems.size());
  if (valid) {
    ResetTree();
    MovieItems.clear();
    NoteItems.clear();
    Banker->ListOperaItems(OperaItems[static_cast<std::size_t>(index)].Id, MovieItems, NoteItems);
    AddItemNodes(NodeMovies, MovieItems);
    AddItemNodes(NodeNotes, NoteItems);
  }
  TreeView->expandAll();
  ComboBoxOperas->setCurrentIndex(index);
  if (notify && valid) emit OperaChosen(OperaItems[static_cast<std::size_t>(index)].Id);
}

void TFormTreeView::SelectOpera(std::int32_t Id, bool notify) {
  ResetTree();
  for (std::size_t i = 0; i < OperaItems.size(); ++i) {
    if (OperaItems[i].Id == Id) {
      ShowOpera(static_cast<int>(i), notify);
      return;
    }
  }
}

void TFormTreeView::ComboBoxOperasChange(int index) { ShowOpera(index, true); }

// ---- opening notes and movies

void TFormTreeView::TreeViewDblClick() { ActivateItem(); }

void TFormTreeView::TreeViewKeyPress() { ActivateItem(); }

void TFormTreeView::ActivateItem() {
  const QList<QTreeWidgetItem*> selected = TreeView->selectedItems();
  const TagInfo* record = ItemOf(selected.isEmpty() ? nullptr : selected.first());
  if (record == nullptr || Banker == nullptr) return;
  const TagInfo item = *record;
  emit ContentOpening();
  if (item.Type == gx::kChunkWmv) {
    OpenMovie(item);
  } else if (item.Type == gx::kChunkRtf) {
    OpenNote(item);
  }
}

// The player lets go of the temporary file before it is written again. A file that cannot be
// written reaches the application's error display.
void TFormTreeView::OpenMovie(const TagInfo& item) {
  HideTool(TextViewer);
  if (MediaPlayer != nullptr) MediaPlayer->CloseMovie();
  const std::string path = Banker->ExtractMovie(item.Id, item.UserId);
  if (path.empty() || MediaPlayer == nullptr) return;
  MediaPlayer->ShowTool(true);
  MediaPlayer->PlayMovie(path);
}

// A note the info window cannot read reaches the application's error display.
void TFormTreeView::OpenNote(const TagInfo& item) {
  HideTool(MediaPlayer);
  if (TextViewer != nullptr) TextViewer->ShowTool(true);
  const std::unique_ptr<TMemoryStream> stream = Banker->GetNoteStream(item.Id, item.UserId);
  if (stream && TextViewer != nullptr) TextViewer->LoadFromStream(*stream);
}

// ---- hiding

void TFormTreeView::HideContentWindows() {
  HideTool(MediaPlayer);
  HideTool(TextViewer);
}

void TFormTreeView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // A window manager's minimise is not a hide of ours.
  if (!event->spontaneous()) FormHide();
}

void TFormTreeView::FormHide() {
  HideTool(TextViewer);
  HideTool(MediaPlayer);
}

// Every character key opens the selected item (Enter and space too), and a double-click anywhere
// in the tree does; the tree then goes on with its own handling of both.
bool TFormTreeView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TreeView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    TreeViewDblClick();
  } else if (watched == TreeView && event->type() == QEvent::KeyPress &&
             !static_cast<QKeyEvent*>(event)->text().isEmpty()) {
    TreeViewKeyPress();
  }
  return QWidget::eventFilter(watched, event);
}
