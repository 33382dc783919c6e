// A radio group: a group box of radio buttons, one per item, whose selection
// is the property "itemIndex". Every change of the selection, by a click or
// by the program, emits clicked() once, so a program-set choice runs the click
// handler as a user's click does.
#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY clicked)
  public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const;
    // -1 clears the selection; an index outside the items is ignored.
    void setItemIndex(int index);

    QRadioButton* button(int index) const;
    int count() const { return static_cast<int>(buttons_.size()); }

  signals:
    void clicked();

  private:
    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
};
