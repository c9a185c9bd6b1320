#include "nativesizelayout.h"

#include <QWidget>

TNativeSizeLayout::TNativeSizeLayout(QWidget* parent) : QLayout(parent) { setContentsMargins(0, 0, 0, 0); }

TNativeSizeLayout::~TNativeSizeLayout() = default;

QRect TNativeSizeLayout::Place(const QSize& picture, const QRect& area) {
  if (!picture.isValid() || picture.isEmpty() || area.isEmpty()) return area;
  QSize size = picture;
  if (size.width() > area.width() || size.height() > area.height())
    size = picture.scaled(area.size(), Qt::KeepAspectRatio);
  QRect placed(QPoint(0, 0), size);
  placed.moveCenter(area.center());
  return placed;
}

void TNativeSizeLayout::addItem(QLayoutItem* item) { Item.reset(item); }

QLayoutItem* TNativeSizeLayout::itemAt(int index) const { return index == 0 ? Item.get() : nullptr; }

QLayoutItem* TNativeSizeLayout::takeAt(int index) { return index == 0 ? Item.release() : nullptr; }

int TNativeSizeLayout::count() const { return Item ? 1 : 0; }

QSize TNativeSizeLayout::sizeHint() const { return Item ? Item->sizeHint() : QSize(); }

void TNativeSizeLayout::setGeometry(const QRect& rect) {
  QLayout::setGeometry(rect);
  if (!Item) return;
  // The widget's own size hint is the picture's size (a video widget's is its movie's).
  const QWidget* widget = Item->widget();
  const QSize picture = widget != nullptr ? widget->sizeHint() : Item->sizeHint();
  Item->setGeometry(Place(picture, contentsRect()));
}
