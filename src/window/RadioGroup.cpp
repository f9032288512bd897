#include "window/RadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGroupBox>
#include <QRadioButton>

RadioGroup::RadioGroup(QGroupBox* box) : QObject(box), box_(box), buttons_(new QButtonGroup(this))
{
    for (int i = 0;; ++i) {
        auto* button = box->findChild<QRadioButton*>(
            box->objectName() + QStringLiteral("Item%1").arg(i), Qt::FindDirectChildrenOnly);
        if (!button)
            break;
        buttons_->addButton(button, i);
    }
    connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            emit Click();
    });
}

int RadioGroup::ItemIndex() const
{
    return buttons_->checkedId();
}

void RadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}
