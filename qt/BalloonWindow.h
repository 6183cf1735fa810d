#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "qt/BalloonGeometry.h"

namespace morvelin {

// The window of one balloon tip, drawn by hand: a rounded body with a tail, a vertical gradient,
// a thin border, a soft shadow and the text, all at 90 % opacity. It never takes the focus and
// lets every mouse event through to what lies beneath, so that showing it does not change which
// control the pointer is over.
class BalloonWindow : public QWidget {
    Q_OBJECT

  public:
    BalloonWindow();

    // The size the text needs: one line per "\n", empty lines included.
    static QSize TextSize(const QString& text);

    // Moves the window to shape.window and shows text in it.
    void Present(const BalloonShape& shape, const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPainterPath Outline() const;
    QImage RenderShadow(const QPainterPath& outline) const;

    BalloonShape shape_;
    QStringList lines_;
    QImage shadow_;
    QPixmap backdrop_;  // what lay beneath, where the window system cannot blend
};

}  // namespace morvelin
