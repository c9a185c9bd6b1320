// A layout for one picture: shown at its own size, centred, when it fits; otherwise scaled down,
// its aspect kept. Never enlarged, never stretched.
#pragma once

#include <QLayout>
#include <memory>

class TNativeSizeLayout : public QLayout {
 public:
  explicit TNativeSizeLayout(QWidget* parent = nullptr);
  ~TNativeSizeLayout() override;

  // Where a picture of the given size goes in area. A picture of no known size fills the area.
  static QRect Place(const QSize& picture, const QRect& area);

  void addItem(QLayoutItem* item) override;
  QLayoutItem* itemAt(int index) const override;
  QLayoutItem* takeAt(int index) override;
  int count() const override;
  QSize sizeHint() const override;
  void setGeometry(const QRect& rect) override;

 private:
  std::unique_ptr<QLayoutItem> Item;
};
