#pragma once
// A group box of radio buttons seen as one choice with an item index, as the settings
// editors need it. The buttons are the group's QRadioButton children named
// "<group>Item0", "<group>Item1", ... in item order.

#include <QObject>

class QButtonGroup;
class QGroupBox;

class RadioGroup : public QObject {
    Q_OBJECT

public:
    explicit RadioGroup(QGroupBox* box);

    // -1 when no item is selected.
    int ItemIndex() const;
    // Selects item `index`; -1 or an index beyond the items selects none.
    void SetItemIndex(int index);
    QGroupBox* Box() const { return box_; }

signals:
    // The selected item changed, by the person or by SetItemIndex.
    void Click();

private:
    void KeepTabOnChecked();

    QGroupBox* box_;
    QButtonGroup* buttons_;
};
