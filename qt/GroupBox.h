#pragma once

#include <QColor>
#include <QGroupBox>
#include <QString>

namespace morvelin {

// A group box drawn the way the program's Chinese desktop draws one, whatever the widget style:
// the window's grey all over, an etched frame whose top line runs through the middle of the
// caption, and the caption in its own colour at the top left. Qt's styles put the caption above
// the frame and shade the inside, which makes the labels in the box show as lighter patches.
class GroupBox : public QGroupBox {
    Q_OBJECT

  public:
    // Where the caption starts, from the box's left edge.
    static constexpr int kCaptionIndent = 8;

    GroupBox(const QString& caption, const QColor& captionColor, QWidget* parent = nullptr);

    QColor captionColor() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace morvelin
