// A flat coloured panel with a centred caption that reports clicks: the bit
// panels of register and port rows and their legends. Its colour is state
// (property "colour", 0x00BBGGRR as the window's colour constants), so the
// value a row of panels shows can be read back from them.
#pragma once

#include <QFrame>
#include <QString>

class BitPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(uint colour READ colour WRITE setColour)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QString caption READ text WRITE setText STORED false)
  public:
    explicit BitPanel(const QString& caption = QString(), QWidget* parent = nullptr);

    uint colour() const { return colour_; }
    void setColour(uint bgr);

    QString text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // A left-button press and release inside the panel; a disabled panel gets
    // no mouse events.
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    uint colour_ = 0xFFFFFF;
    QString text_;
    bool pressed_ = false;
};
