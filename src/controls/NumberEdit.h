#pragma once
// A single-line edit for whole numbers, shown with a number pattern such as ",0;(,0)"
// (thousands grouped, a negative value in parentheses) or ",00" (at least two digits).
// Every change of the text, typed or set, is reported by textChanged. Typing takes only
// digits: a keystroke that would make the number negative or larger than maxValue (if
// one is set) is refused. A value set from outside is shown as it is; when the edit
// loses the focus a value outside 0 to maxValue is replaced by the nearer bound, and the
// text is shown in the pattern.

#include <QLineEdit>

class TNumberEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString displayFormat READ displayFormat WRITE setDisplayFormat)
    Q_PROPERTY(int maxValue READ maxValue WRITE setMaxValue)
    Q_PROPERTY(bool allowEmpty READ allowEmpty WRITE setAllowEmpty)
    Q_PROPERTY(int emptyValue READ emptyValue WRITE setEmptyValue)

public:
    explicit TNumberEdit(QWidget* parent = nullptr);

    // The number shown; the empty value while empty (0 unless allowEmpty), 0 for text
    // that is no number.
    qint64 value() const;
    void setValue(qint64 v);
    QString format(qint64 v) const;

    QString displayFormat() const { return pattern_; }
    void setDisplayFormat(const QString& pattern);
    // 0: no range.
    int maxValue() const { return max_; }
    void setMaxValue(int max) { max_ = max; }
    bool allowEmpty() const { return allowEmpty_; }
    void setAllowEmpty(bool allow) { allowEmpty_ = allow; }
    int emptyValue() const { return emptyValue_; }
    void setEmptyValue(int v) { emptyValue_ = v; }

signals:
    // The edit lost the focus, after its value was brought into range.
    void OnExit();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void BringIntoRange();

    QString pattern_ = QStringLiteral(",0;(,0)");
    bool grouped_ = true;
    int minDigits_ = 1;
    bool negativeInParentheses_ = true;
    int max_ = 0;
    bool allowEmpty_ = false;
    int emptyValue_ = 0;
};
