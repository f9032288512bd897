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
        KeepTabOnChecked();
        if (checked)
            emit Click();
    });
    KeepTabOnChecked();
}

void RadioGroup::KeepTabOnChecked()
{
    // Tab enters the group on its checked button, so that a screen reader first says the
    // choice that is made; the arrow keys still move between all of them. Without a checked
    // button each one is reachable, so that the group can be entered at all.
    const QAbstractButton* checked = buttons_->checkedButton();
    for (QAbstractButton* button : buttons_->buttons()) {
        const bool reachable = checked == nullptr || button == checked;
        button->setFocusPolicy(reachable ? Qt::FocusPolicy(button->focusPolicy() | Qt::TabFocus)
                                         : Qt::FocusPolicy(button->focusPolicy() & ~Qt::TabFocus));
    }
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
