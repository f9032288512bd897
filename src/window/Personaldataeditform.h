#pragma once
// The small modal dialog in which the diver types a new personal text. It hands the
// text back in the dive computer's 8-bit form and tells whether it really changed.

#include <memory>
#include <string>

#include <QDialog>

namespace Ui {
class TPersonalEditForm;
}

class TPersonalEditForm : public QDialog {
    Q_OBJECT

public:
    enum Result { ResultOK = 1, ResultCancel = 2 };
    static constexpr int MaxLength = 28;

    // Placed 200 right of and 140 below the main window's top-left corner.
    explicit TPersonalEditForm(QWidget* owner);
    ~TPersonalEditForm() override;

    // Shows `text`; it also becomes the text that counts as unchanged.
    void SetText(const std::string& text);
    // The first 28 characters of the edit, in 8-bit form.
    std::string GetText() const;
    // True when the edit's whole text differs from the text given last.
    bool returnrequested() const;

    // The text given last to any instance of the dialog.
    static std::string StartText;

public slots:
    void OKButtonClick();
    void CancelButtonClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TPersonalEditForm> ui;
};
