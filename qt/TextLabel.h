#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace morvelin {

// A self-drawn label: its text in its own colour on the window's grey, left-aligned, no border.
// A one-line label centres its line vertically; a wrapping one breaks the text at its width and
// starts at the top. It takes no input at all: mouse events go to what lies beneath.
class TextLabel : public QWidget {
    Q_OBJECT

  public:
    TextLabel(const QString& text, const QColor& color, bool wrap, QWidget* parent = nullptr);

    void setText(const QString& text);
    QString text() const { return text_; }
    QColor textColor() const { return color_; }
    bool wraps() const { return wrap_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor color_;
    bool wrap_ = false;
};

}  // namespace morvelin
