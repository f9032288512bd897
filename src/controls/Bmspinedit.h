#pragma once
// TBMSpinEdit: a numeric single-line edit with an up/down button pair and a drop button at
// its right end, a gauge strip along its bottom edge that shows the value as a coloured
// bar, and a pop-up track bar that stays open while the drop button is held.
//
// The value lives in the text: GetValue reads it back, SetValue writes it with Precision
// decimals. Usable as a promoted widget in Qt Designer forms (header
// "controls/Bmspinedit.h"); every property below can be set there as a dynamic property.
// Set MinValue and MaxValue before Value: moving a bound moves the value with it.

#include <QColor>
#include <QLineEdit>
#include <QPoint>
#include <utility>

class TBMPopupForm;
class TDropButton;
class TUpDown;

class TBMSpinEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(double Value READ GetValue WRITE SetValue)
    Q_PROPERTY(double MinValue READ MinValue WRITE SetMinValue)
    Q_PROPERTY(double MaxValue READ MaxValue WRITE SetMaxValue)
    Q_PROPERTY(double Increment READ Increment WRITE SetIncrement)
    Q_PROPERTY(int Precision READ Precision WRITE SetPrecision)
    Q_PROPERTY(double GaugeMinValue READ GaugeMinValue WRITE SetGaugeMinValue)
    Q_PROPERTY(double GaugeMaxValue READ GaugeMaxValue WRITE SetGaugeMaxValue)
    Q_PROPERTY(double GaugeAroundCenter READ GaugeAroundCenter WRITE SetGaugeAroundCenter)
    Q_PROPERTY(double IncrementGauge READ IncrementGauge WRITE SetIncrementGauge)
    Q_PROPERTY(QColor GaugeBeginColor READ GaugeBeginColor WRITE SetGaugeBeginColor)
    Q_PROPERTY(QColor GaugeEndColor READ GaugeEndColor WRITE SetGaugeEndColor)
    Q_PROPERTY(int GaugeHeight READ GaugeHeight WRITE SetGaugeHeight)
    Q_PROPERTY(int TrackBarWidth READ TrackBarWidth WRITE SetTrackBarWidth)
    Q_PROPERTY(
        Qt::Orientation TrackBarOrientation READ TrackBarOrientation WRITE SetTrackBarOrientation)
    Q_PROPERTY(bool TrackBarEnabled READ TrackBarEnabled WRITE SetTrackBarEnabled)
    Q_PROPERTY(bool EditorEnabled READ EditorEnabled WRITE SetEditorEnabled)
    Q_PROPERTY(bool AutoSelect READ AutoSelect WRITE SetAutoSelect)

public:
    class TAGauge;  // the gauge strip, controls/Agauge.h

    explicit TBMSpinEdit(QWidget* parent = nullptr);

    // The value the text stands for. An empty text or a lone "-" reads as 0 and becomes
    // "0"; text that is not a number reads as MinValue and is replaced by it.
    double GetValue();
    // Writes x as text (held within the bounds when Precision > 0, rounded to a whole
    // number otherwise) and raises OnChange; does nothing when the value is already x.
    void SetValue(double x);
    // x held within MinValue..MaxValue; x itself when the two are equal (no bounds).
    double CheckValue(double x) const;

    double MinValue() const { return FMinValue; }
    void SetMinValue(double v);
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double v);
    // Step of the up/down buttons and the Up and Down keys.
    double Increment() const { return FIncrement; }
    void SetIncrement(double v) { FIncrement = v; }
    // Decimals shown, 0 to 6.
    int Precision() const { return FPrecision; }
    void SetPrecision(int p);

    // Value range of the gauge strip; both 0 means MinValue..MaxValue.
    double GaugeMinValue() const { return FGaugeMinValue; }
    void SetGaugeMinValue(double v);
    double GaugeMaxValue() const { return FGaugeMaxValue; }
    void SetGaugeMaxValue(double v);
    // The bar grows from this value when it lies strictly inside the gauge range.
    double GaugeAroundCenter() const;
    void SetGaugeAroundCenter(double v);
    // Snapping step for values set with the gauge strip or the track bar; 0: no snapping.
    double IncrementGauge() const;
    void SetIncrementGauge(double v);
    // Bar colours at the two ends of the range; the begin colour follows the palette's
    // highlight colour until it is set.
    QColor GaugeBeginColor() const;
    void SetGaugeBeginColor(const QColor& c);
    QColor GaugeEndColor() const;
    void SetGaugeEndColor(const QColor& c);
    int GaugeHeight() const { return FGaugeHeight; }
    void SetGaugeHeight(int h);

    // Length of the pop-up track bar window along its track, 50 to 300 pixels.
    int TrackBarWidth() const { return FTrackBarWidth; }
    void SetTrackBarWidth(int w);
    Qt::Orientation TrackBarOrientation() const { return FTrackBarOrientation; }
    void SetTrackBarOrientation(Qt::Orientation o);
    // Whether the drop button (and with it the track bar) is there.
    bool TrackBarEnabled() const { return FTrackBarEnabled; }
    void SetTrackBarEnabled(bool on);
    // Cut and paste work only with this on and the text writable.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool on) { FEditorEnabled = on; }
    // Select the whole text on entering and after stepping.
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool on) { FAutoSelect = on; }

signals:
    // The text changed, or SetValue ran: a SetValue that changes the text raises it twice.
    void OnChange();
    void OnEnter();
    // Raised on leaving, after a value beyond the bounds has been held within them.
    void OnExit();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;

private:
    double TextValue() const;
    std::pair<double, double> GaugeRange() const;
    double Span() const;
    void SetValueFromGauge(double v);
    void Change();
    void UpDownClick(bool up);
    void DropButtonDown(QPoint anchor);
    void TrackBarFollow(QPoint pointer);
    void DropButtonUp();
    void UpdateFormView();
    void PopupFormShow();
    void SelectAllWhenAuto();
    bool ClipboardEditable() const;
    void LayoutParts();
    void UpdateTextArea();
    void UpdateMinimumHeight();

    double FMinValue = 0;
    double FMaxValue = 100;
    double FIncrement = 1;
    int FPrecision = 2;
    double FGaugeMinValue = 0;
    double FGaugeMaxValue = 0;
    int FGaugeHeight = 5;
    int FTrackBarWidth = 150;
    Qt::Orientation FTrackBarOrientation = Qt::Horizontal;
    bool FTrackBarEnabled = true;
    bool FEditorEnabled = true;
    bool FAutoSelect = true;

    QWidget* FPanel;
    TUpDown* FUpDown;
    TDropButton* FDropButton;
    TAGauge* FGauge;
    TBMPopupForm* FPopupForm;
    QPoint FAnchor;             // screen point where the drop button was last pressed
    bool FRewriteText = false;  // the next SetValue rewrites the text even if the value holds
    bool FPressedOnEdit = false;
};
