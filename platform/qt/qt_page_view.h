#pragma once
// A page view on the screen: the report pages its procedure puts in view,
// drawn white on grey at the zoom it asks for, inside scroll bars. Only the
// files of the state shown are read; they are decoded once per state and
// drawn once per size, so scrolling and repainting only copy pictures.
// GUI thread only.
#include <QAbstractScrollArea>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "platform/page/page_model.h"
#include "platform/window/window.h"

namespace vornel::platform::qt {

class PageView : public QAbstractScrollArea {
 public:
  static constexpr int kGap = 3;  // pixels around and between the pages' tiles

  explicit PageView(QWidget* parent = nullptr);

  // Shows the state; nothing is read again when it is the one shown.
  void Apply(const PageViewState& state);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  struct Shown {
    int number = 0;
    std::optional<page::Page> page;  // none when its file could not be read
    QString why;
    QRect place;      // in the content, without the scroll position
    QPixmap picture;  // the page drawn at `drawn`
    QSize drawn;
  };

  void Load();
  // Places the pages for the viewport's size and draws those whose size changed.
  void Layout();
  void Draw(Shown& shown) const;
  void UpdateScrollBars();
  // Where the content's top-left corner lies in the viewport now.
  QPoint Origin() const;

  PageViewState state_;
  bool loaded_ = false;
  std::vector<Shown> shown_;
  QSize content_;
};

}  // namespace vornel::platform::qt
