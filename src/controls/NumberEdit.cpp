#include "controls/NumberEdit.h"

#include <QValidator>

namespace {

// Whole numbers as typed or as shown: digits with grouping commas. A field holds no
// negative number and nothing above its top, so a keystroke that would make one is
// refused rather than wrapped into the field's width later.
class WholeNumberValidator : public QValidator {
public:
    explicit WholeNumberValidator(TNumberEdit* edit) : QValidator(edit), edit_(edit) {}

    State validate(QString& input, int&) const override
    {
        QString s = input;
        s.remove(QLatin1Char(','));
        for (QChar c : s)
            if (!c.isDigit() || c.unicode() > '9')
                return Invalid;
        while (s.startsWith(QLatin1Char('0')) && s.size() > 1)
            s.remove(0, 1);
        if (s.size() > 10)
            return Invalid;
        const int top = edit_->maxValue();
        return top > 0 && s.toLongLong() > top ? Invalid : Acceptable;
    }

private:
    const TNumberEdit* edit_;
};

}  // namespace

TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(parent)
{
    setValidator(new WholeNumberValidator(this));
    setText(QStringLiteral("0"));
}

void TNumberEdit::setDisplayFormat(const QString& pattern)
{
    pattern_ = pattern;
    const QString positive = pattern.section(QLatin1Char(';'), 0, 0);
    const QString negative = pattern.section(QLatin1Char(';'), 1, 1);
    grouped_ = positive.contains(QLatin1Char(','));
    minDigits_ = qMax(1, int(positive.count(QLatin1Char('0'))));
    negativeInParentheses_ = negative.startsWith(QLatin1Char('('));
    setText(format(value()));
}

QString TNumberEdit::format(qint64 v) const
{
    QString digits = QString::number(v < 0 ? -v : v).rightJustified(minDigits_, QLatin1Char('0'));
    if (grouped_)
        for (int i = digits.size() - 3; i > 0; i -= 3)
            digits.insert(i, QLatin1Char(','));
    if (v >= 0)
        return digits;
    return negativeInParentheses_ ? QLatin1Char('(') + digits + QLatin1Char(')')
                                  : QLatin1Char('-') + digits;
}

qint64 TNumberEdit::value() const
{
    QString s = text();
    s.remove(QLatin1Char(','));
    if (s.isEmpty())
        return allowEmpty_ ? emptyValue_ : 0;
    bool negative = false;
    if (s.startsWith(QLatin1Char('('))) {
        negative = true;
        s = s.mid(1);
        if (s.endsWith(QLatin1Char(')')))
            s.chop(1);
    }
    bool ok = false;
    qint64 v = s.toLongLong(&ok);
    if (!ok)
        return 0;
    return negative ? -v : v;
}

void TNumberEdit::setValue(qint64 v)
{
    setText(format(v));
}

void TNumberEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (!(text().isEmpty() && allowEmpty_))
        BringIntoRange();
    emit OnExit();
}

void TNumberEdit::BringIntoRange()
{
    const qint64 v = value();
    if (max_ > 0 && (v < 0 || v > max_)) {
        setValue(v < 0 ? 0 : max_);  // a real change: the editor takes it
        return;
    }
    // Only the look changes here; the value was reported while it was typed.
    const QString shown = format(v);
    if (shown != text()) {
        const bool wasBlocked = blockSignals(true);
        setText(shown);
        blockSignals(wasBlocked);
    }
}
