#pragma once
// Small widgets of the main window: the alarm pictures and the exchange indicator.
#include <QLabel>
#include <QWidget>
#include <functional>

namespace zelui {

// An 80 x 80 picture of the alarm, idle or raised. Reports clicks and double clicks.
class AlarmPicture : public QLabel {
    Q_OBJECT
  public:
    AlarmPicture(bool raised, QWidget* parent);
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// The place of the two alarm pictures: it takes the clicks and holds the hint, so that the hint
// stays while the pictures take turns (a hidden widget loses its tool tip).
class AlarmArea : public QWidget {
    Q_OBJECT
  public:
    explicit AlarmArea(QWidget* parent);
    std::function<void()> onClick;
    std::function<void()> onDoubleClick;

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// The picture drawn for the alarm.
QPixmap AlarmPixmap(bool raised, int size);
// The program's icon (the SVG shipped with it) at size x size pixels.
QPixmap AppIconPixmap(int size);

// A small filled circle whose colour shows the exchanges with the counter.
class Indicator : public QWidget {
    Q_OBJECT
  public:
    explicit Indicator(QWidget* parent);
    void setColor(uint32_t rgb);
    uint32_t color() const { return rgb_; }
    QSize sizeHint() const override { return {16, 16}; }

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    uint32_t rgb_ = 0xFF0000;
};

} // namespace zelui
