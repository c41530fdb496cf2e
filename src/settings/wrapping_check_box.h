#pragma once
// A check box whose caption wraps onto further lines within the box's width, as the options
// dialog's long captions do. The caption text itself stays whole; only the drawing wraps it.

#include <QCheckBox>

class WrappingCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit WrappingCheckBox(const QString& text, QWidget* parent = nullptr);

    // Where the caption is drawn: the box less its indicator.
    QRect CaptionRect() const;
    // The caption laid out in CaptionRect(): its size and its number of lines.
    QRect WrappedCaptionBounds() const;
    int CaptionLineCount() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The whole box answers a click, the wrapped lines included.
    bool hitButton(const QPoint& pos) const override;
};
