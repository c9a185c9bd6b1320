#include "touchsize.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLayout>
#include <QMainWindow>
#include <QMap>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include "common/showtool.h"
#include "windows/tformtreeview.h"

namespace TouchSize {
namespace {

const QString kToolSheet = QStringLiteral(
    "* { font-size: 18px; }"
    "QPushButton, QToolButton { min-height: 40px; min-width: 40px; }"
    "QComboBox { min-height: 40px; }"
    "QAbstractItemView::item { min-height: 40px; }"
    "QListView::indicator, QTreeView::indicator { width: 32px; height: 32px; }"
    "QScrollBar:vertical { width: 40px; }"
    "QScrollBar:horizontal { height: 40px; }"
    "QSlider::groove:horizontal { height: 12px; background: #b0b0b0; border-radius: 6px; }"
    "QSlider::handle:horizontal { width: 40px; margin: -14px 0; background: #606060; border-radius: 6px; }");

const QString kMenuSheet = QStringLiteral(
    "QMenuBar { font-size: 18px; }"
    "QMenuBar::item { padding: 10px 16px; }"
    "QMenuBar::item:selected { background: palette(highlight); color: palette(highlighted-text); }"
    "QMenu { font-size: 18px; }"
    "QMenu::item { padding: 10px 40px 10px 32px; min-height: 24px; }"
    "QMenu::item:selected { background: palette(highlight); color: palette(highlighted-text); }"
    "QMenu::indicator { width: 20px; height: 20px; left: 6px; }");

const QString kDialogSheet = QStringLiteral(
    "QPushButton { min-height: 40px; min-width: 96px; font-size: 18px; }"
    "QLabel { font-size: 18px; }");

const char* const kCloseButtonName = "ButtonKioskClose";

int Scaled(int value) { return qRound(value * kScale); }
QRect Scaled(const QRect& r) { return QRect(Scaled(r.x()), Scaled(r.y()), Scaled(r.width()), Scaled(r.height())); }
QSize Scaled(const QSize& s) {
  auto one = [](int v) { return v >= QWIDGETSIZE_MAX || v <= 0 ? v : Scaled(v); };
  return QSize(one(s.width()), one(s.height()));
}

// Children placed by hand grow in place; children in a layout keep what the layout gives them,
// with their fixed limits grown.
void ScaleChildren(QWidget* widget) {
  for (QObject* object : widget->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child == nullptr || child->isWindow()) continue;
    child->setMinimumSize(Scaled(child->minimumSize()));
    child->setMaximumSize(Scaled(child->maximumSize()));
    if (widget->layout() == nullptr) child->setGeometry(Scaled(child->geometry()));
    ScaleChildren(child);
  }
}

// A widget's own style sheet wins over its window's: the touch rules go after its own.
void AddSheet(QWidget* window, const QString& sheet) {
  window->setStyleSheet(window->styleSheet() + sheet);
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (!child->styleSheet().isEmpty()) child->setStyleSheet(child->styleSheet() + sheet);
  }
}

class TKeepOnScreen : public QObject {
 public:
  explicit TKeepOnScreen(QWidget* window) : QObject(window), Window(window) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Window && event->type() == QEvent::Show) QTimer::singleShot(0, Window, [w = Window] { Fit(w); });
    return false;
  }
  static void Fit(QWidget* window) {
    const QScreen* screen = window->screen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    QPoint corner = frame.topLeft();
    if (frame.right() > area.right()) corner.setX(area.right() - frame.width() + 1);
    if (frame.bottom() > area.bottom()) corner.setY(area.bottom() - frame.height() + 1);
    corner.setX(qMax(corner.x(), area.left()));
    corner.setY(qMax(corner.y(), area.top()));
    if (corner != frame.topLeft()) window->move(window->pos() + (corner - frame.topLeft()));
  }

 private:
  QWidget* Window;
};

class TOnResize : public QObject {
 public:
  TOnResize(QWidget* widget, std::function<void()> then) : QObject(widget), Widget(widget), Then(std::move(then)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == Widget && event->type() == QEvent::Resize && Then) Then();
    return false;
  }

 private:
  QWidget* Widget;
  std::function<void()> Then;
};

class TSingleTap : public QObject {
 public:
  explicit TSingleTap(TFormTreeView* browser)
      : QObject(browser), Browser(browser), Viewport(browser->TreeView->viewport()) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The viewport is watched to its end, which comes while the browser is being taken apart:
    // nothing of the browser is touched before the event is known to be a tap on the list.
    if (watched != Viewport) return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseButtonRelease)
      return false;
    QTreeWidget* tree = Browser->TreeView;
    switch (type) {
      case QEvent::MouseButtonPress:
        Pressed = tree->itemAt(static_cast<QMouseEvent*>(event)->pos());
        return false;
      case QEvent::MouseButtonDblClick: {
        // The second tap of a double one: a press like any other, but the item the first tap
        // opened is not opened twice (the browser's own double-click opening is not asked).
        QTreeWidgetItem* item = tree->itemAt(static_cast<QMouseEvent*>(event)->pos());
        if (item != nullptr) tree->setCurrentItem(item);
        Pressed = item == Opened ? nullptr : item;
        return true;
      }
      case QEvent::MouseButtonRelease: {
        QTreeWidgetItem* item = tree->itemAt(static_cast<QMouseEvent*>(event)->pos());
        if (item != nullptr && item == Pressed && item->parent() != nullptr &&
            item->parent() != Browser->NodeContribs) {
          Opened = item;
          QTimer::singleShot(0, Browser, [browser = QPointer<TFormTreeView>(Browser)] {
            if (browser != nullptr) browser->ActivateItem();
          });
        }
        Pressed = nullptr;
        return false;
      }
      default:
        return false;
    }
  }

 private:
  TFormTreeView* Browser;
  const QObject* Viewport;
  QTreeWidgetItem* Pressed = nullptr;
  QTreeWidgetItem* Opened = nullptr;
};

}  // namespace

void ApplyToToolWindow(QWidget* window) {
  if (window == nullptr) return;
  const bool fixed = window->minimumSize() == window->maximumSize();
  const QSize size = Scaled(window->size());
  ScaleChildren(window);
  window->setMinimumSize(Scaled(window->minimumSize()));
  window->setMaximumSize(Scaled(window->maximumSize()));
  if (fixed) window->setFixedSize(size);
  window->resize(size);
  AddSheet(window, kToolSheet);
  // The drop-down lists' rows follow the style sheet only with a styled delegate.
  for (QComboBox* combo : window->findChildren<QComboBox*>()) combo->setItemDelegate(new QStyledItemDelegate(combo));
}

void AddCloseButton(QWidget* window) {
  if (window == nullptr || window->findChild<QPushButton*>(kCloseButtonName) != nullptr) return;
  auto* strip = new QWidget(window);
  strip->setObjectName(QStringLiteral("KioskCloseStrip"));
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(6, 4, 6, 4);
  row->addStretch(1);
  auto* close = new QPushButton(QStringLiteral("Close"), strip);
  close->setObjectName(kCloseButtonName);
  close->setMinimumSize(120, kMinTarget);
  close->setStyleSheet(QStringLiteral("font-size: 18px;"));
  row->addWidget(close);
  QObject::connect(close, &QPushButton::clicked, window, [window] { ShowTool(window, false); });
  const int height = strip->sizeHint().height();
  const bool fixed = window->minimumSize() == window->maximumSize();
  const QSize grown(window->width(), window->height() + height);
  if (auto* box = qobject_cast<QBoxLayout*>(window->layout())) {
    box->addWidget(strip);
  } else {
    strip->setGeometry(0, window->height(), window->width(), height);
  }
  window->setMinimumHeight(window->minimumHeight() + height);
  if (fixed) window->setFixedSize(grown);
  window->resize(grown);
}

void KeepOnScreen(QWidget* window) {
  if (window != nullptr) window->installEventFilter(new TKeepOnScreen(window));
}

void ApplyToMenus(QMainWindow* window, const std::function<void()>& barResized) {
  if (window == nullptr) return;
  QMenuBar* bar = window->menuBar();
  bar->installEventFilter(new TOnResize(bar, barResized));
  bar->setStyleSheet(kMenuSheet);
  for (QMenu* menu : bar->findChildren<QMenu*>()) menu->setStyleSheet(kMenuSheet);
}

void ApplyToDialog(QDialog* dialog) {
  if (dialog == nullptr || dialog->property("touchSized").toBool()) return;
  dialog->setProperty("touchSized", true);
  if (dialog->layout() != nullptr) {
    dialog->setStyleSheet(dialog->styleSheet() + kDialogSheet);
    return;
  }
  // A dialog placed by hand (the about box): its buttons grow downwards, the dialog with them.
  int grow = 0;
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    const QRect r = button->geometry();
    const int height = qMax(r.height(), kMinTarget);
    const int width = qMax(r.width(), 96);
    grow = qMax(grow, height - r.height());
    button->setGeometry(r.center().x() - width / 2, r.y(), width, height);
    QFont font = button->font();
    font.setPixelSize(kMinTextPixels);
    button->setFont(font);
  }
  if (grow == 0) return;
  const QSize size(dialog->width(), dialog->height() + grow);
  if (dialog->minimumSize() == dialog->maximumSize()) dialog->setFixedSize(size);
  dialog->resize(size);
}

void EnlargeNoteText(QTextEdit* box) {
  if (box == nullptr) return;
  QTextDocument* document = box->document();
  if (document->property("touchSized").toBool()) return;
  document->setProperty("touchSized", true);
  const double pixelsPerPoint = box->logicalDpiY() / 72.0;
  auto pixelsOf = [&](const QFont& font) {
    return font.pixelSize() > 0 ? double(font.pixelSize()) : font.pointSizeF() * pixelsPerPoint;
  };
  // The size that most characters have is the body text's.
  QMap<int, int> charactersAt;
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      charactersAt[qRound(pixelsOf(fragment.charFormat().font()))] += fragment.length();
    }
  }
  if (charactersAt.isEmpty()) return;
  int body = charactersAt.firstKey();
  for (auto it = charactersAt.cbegin(); it != charactersAt.cend(); ++it)
    if (it.value() > charactersAt.value(body)) body = it.key();
  const double factor = body > 0 && body < kMinTextPixels ? double(kMinTextPixels) / body : 1.0;

  QTextCursor cursor(document);
  cursor.beginEditBlock();
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      const double pixels = qMax(pixelsOf(fragment.charFormat().font()) * factor, double(kMinTextPixels));
      QTextCharFormat size;
      size.setFontPointSize(pixels / pixelsPerPoint);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      cursor.mergeCharFormat(size);
    }
  }
  cursor.endEditBlock();
  QFont base = document->defaultFont();
  base.setPointSizeF(qMax(pixelsOf(base) * factor, double(kMinTextPixels)) / pixelsPerPoint);
  document->setDefaultFont(base);
}

void EnlargeNotes(QTextEdit* box) {
  if (box == nullptr) return;
  // A new note arrives as a new document; its first change is the moment to grow it.
  QObject::connect(box, &QTextEdit::textChanged, box, [box] { EnlargeNoteText(box); });
}

void OpenOnSingleTap(TFormTreeView* browser) {
  if (browser == nullptr || browser->TreeView == nullptr) return;
  browser->TreeView->viewport()->installEventFilter(new TSingleTap(browser));
}

}  // namespace TouchSize
