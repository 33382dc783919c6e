#include "widgets/RadioGroup.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this))
{
    auto* layout = new QHBoxLayout(this);
    for (const QString& item : items) {
        auto* radio = new QRadioButton(item, this);
        group_->addButton(radio, static_cast<int>(buttons_.size()));
        buttons_.append(radio);
        layout->addWidget(radio);
        // Once per change: only the button that comes on reports it.
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on) emit clicked();
        });
    }
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index == itemIndex()) return;
    if (index < 0) {
        // An exclusive group keeps one button on; clearing needs it off for a moment.
        group_->setExclusive(false);
        if (QAbstractButton* on = group_->checkedButton()) on->setChecked(false);
        group_->setExclusive(true);
        return;
    }
    if (index < buttons_.size()) buttons_[index]->setChecked(true);
}

QRadioButton* RadioGroup::button(int index) const
{
    return index >= 0 && index < buttons_.size() ? buttons_[index] : nullptr;
}
