#pragma once
// Controls that grow to their captions. The design places were drawn for a
// narrow 8-point face; with the windows' shipped face, another style or the
// longer Czech texts a caption may need more room than its design width,
// and the control grows instead of cutting the caption off.

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

// The width a button needs to show its whole caption: a check box or radio
// button its indicator, spacing and text (the style's own hint); a push
// button its text between the style's margins and frame.
inline int captionWidth(const QAbstractButton& button)
{
    if (qobject_cast<const QCheckBox*>(&button) != nullptr || qobject_cast<const QRadioButton*>(&button) != nullptr)
        return button.sizeHint().width();
    const QStyle* style = button.style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                             style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button));
    // A mnemonic's '&' is not drawn.
    QString drawn = button.text();
    drawn.replace(QLatin1String("&&"), QString(QChar(0x1)));
    drawn.remove(QLatin1Char('&'));
    drawn.replace(QChar(0x1), QLatin1Char('&'));
    return QFontMetrics(button.font()).horizontalAdvance(drawn) + margins;
}

// Widens the button to its caption, keeping its left edge.
inline void growRightToCaption(QAbstractButton& button, int designWidth)
{
    button.resize(std::max(designWidth, captionWidth(button)), button.height());
}

// Widens the button to its caption, keeping its right edge at designRight
// (one past the last column).
inline void growLeftToCaption(QAbstractButton& button, int designRight, int designWidth)
{
    const int width = std::max(designWidth, captionWidth(button));
    button.setGeometry(designRight - width, button.y(), width, button.height());
}
