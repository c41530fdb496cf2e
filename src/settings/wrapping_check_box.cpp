#include "settings/wrapping_check_box.h"

#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>

namespace {
constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap;
}

WrappingCheckBox::WrappingCheckBox(const QString& text, QWidget* parent)
    : QCheckBox(text, parent) {}

QRect WrappingCheckBox::CaptionRect() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
}

QRect WrappingCheckBox::WrappedCaptionBounds() const {
    return fontMetrics().boundingRect(CaptionRect(), kCaptionFlags, text());
}

int WrappingCheckBox::CaptionLineCount() const {
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(CaptionRect().width());
        ++lines;
    }
    layout.endLayout();
    return lines;
}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);

    QStyleOptionButton indicator = option;
    indicator.rect = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
    painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);

    const QRect caption = CaptionRect();
    painter.drawItemText(caption, kCaptionFlags, palette(), isEnabled(), text(),
                         QPalette::WindowText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = WrappedCaptionBounds().adjusted(-1, 0, 1, 0).intersected(rect());
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool WrappingCheckBox::hitButton(const QPoint& pos) const {
    return rect().contains(pos);
}
