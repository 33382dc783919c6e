// A round on/off lamp. Its state is the property "lit"; changed() fires only
// when the state really changes, so handlers can react to a flag lighting up.
#pragma once

#include <QColor>
#include <QWidget>

class LedIndicator : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool lit READ isLit WRITE setLit NOTIFY changed)
    Q_PROPERTY(QColor onColour READ onColour WRITE setOnColour)
  public:
    explicit LedIndicator(QWidget* parent = nullptr);

    bool isLit() const { return lit_; }
    QColor onColour() const { return onColour_; }
    void setOnColour(const QColor& colour);

    // Lines of the status groups are this tall, so a lamp and its label
    // placed at the same top sit on one line.
    static constexpr int kSize = 17;

    QSize sizeHint() const override { return {kSize, kSize}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

  public slots:
    void setLit(bool lit);

  signals:
    void changed(bool lit);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool lit_ = false;
    QColor onColour_{0x20, 0xD0, 0x20};
};
