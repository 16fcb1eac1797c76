#pragma once
// Small pieces every window is built from: back colours in the 0xBBGGRR
// form, the toggle operation of grid buttons, the conversions between Qt
// text and the core's UTF-8, and (text_boxes.h) the text boxes.

#include <QPushButton>
#include <QString>
#include <string>
#include <string_view>

#include "ui/widgets/text_boxes.h"

class QAbstractButton;
class QCheckBox;

namespace tarnel {

// Colours of the design, blue in the high byte.
namespace colors {
inline constexpr quint32 kGrey = 0xE0E0E0;        // normal colour of the main window
inline constexpr quint32 kTwoStarNormal = 0xDEF4F5;
inline constexpr quint32 kLightGreen = 0x80FF80;
inline constexpr quint32 kLightYellow = 0x80FFFF;
inline constexpr quint32 kLightBlue = 0xFFC0C0;
inline constexpr quint32 kPaleGreen = 0xC0FFC0;
inline constexpr quint32 kGreen = 0x00FF00;
inline constexpr quint32 kMagenta = 0xFF00FF;
inline constexpr quint32 kRed = 0x0000FF;
}  // namespace colors

QColor toQColor(quint32 bbggrr);
quint32 fromQColor(const QColor& color);

// The back colour of a control (a button's face, a box's background, a
// window's surface), as the player sees it.
quint32 backColor(const QWidget* widget);
void setBackColor(QWidget* widget, quint32 bbggrr);


// Object name of an element of a control array: "C_danzu[4]".
QString indexedName(const QString& name, int index);

std::string toStd(const QString& text);
QString fromStd(std::string_view text);
// A share as the windows show it: "12.5%", or "-" when there is no whole.
QString percentText(int part, int whole);

// A command button with a caption and a back colour.
QPushButton* makeButton(const QString& name, const QString& caption, quint32 bbggrr,
                        QWidget* parent = nullptr);
// A grid button that is selected or not; it paints its grid's selected
// colour or the window's normal colour from that flag. A click flips it.
class ToggleButton : public QPushButton {
    Q_OBJECT
public:
    ToggleButton(const QString& name, const QString& caption, quint32 selectedColor, quint32 normalColor,
                 QWidget* parent = nullptr);
    bool isSelected() const { return selected_; }
    void setSelected(bool selected);
    void flip() { setSelected(!selected_); }
    // Clicks flip the button unless a handler of its own decides (the banker counts).
    void setFlipsOnClick(bool flips) { flipsOnClick_ = flips; }
signals:
    void selectionChanged(bool selected);

protected:
    bool event(QEvent* event) override;

private:
    bool selected_ = false;
    bool flipsOnClick_ = true;
    quint32 selectedColor_;
    quint32 normalColor_;
};

QCheckBox* makeCheck(const QString& name, const QString& caption, QWidget* parent = nullptr);

// A plain container whose children stand top to bottom, without margins;
// a negative `spacing` takes the style's.
QWidget* makeStack(int spacing = -1, QWidget* parent = nullptr);

// Every widget inside `root`, depth first, each before its own children
// (for walks over a whole region: the focus chain, pointer tracking).
QList<QWidget*> widgetsUnder(const QWidget* root);

}  // namespace tarnel
