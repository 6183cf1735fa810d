#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace morvelin {

class Desktop;

// The three text colours of a hyperlink label.
struct LinkColors {
    QColor normal;
    QColor visited;
    QColor hover;
};

// A one-line self-drawn link that opens its web address when the left button goes down on it.
// The caption (or the address, when the caption is empty) is centred in the box, in the hover
// colour while the pointer is over the label, else in the visited colour once a press has opened
// the page, else in the normal colour. Over the whole box the pointer is a pointing hand.
//
// While hovered the label holds the mouse grab, so that it learns of the pointer leaving even
// when the move lands on a window that is not ours.
class HyperlinkLabel : public QWidget {
    Q_OBJECT

  public:
    HyperlinkLabel(const QString& caption, const QString& url, const LinkColors& colors,
                   Desktop& desktop, QWidget* parent = nullptr);
    ~HyperlinkLabel() override;

    bool isVisited() const { return visited_; }
    bool isHovered() const { return hovered_; }
    QString url() const { return url_; }
    QString caption() const { return caption_; }
    const LinkColors& colors() const { return colors_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void Open();
    void EndHover();

    QString caption_;
    QString url_;
    LinkColors colors_;
    Desktop& desktop_;
    bool hovered_ = false;
    bool visited_ = false;
};

}  // namespace morvelin
