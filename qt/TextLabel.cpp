#include "qt/TextLabel.h"

#include <QPainter>

#include "qt/Fonts.h"
#include "qt/QtText.h"

namespace morvelin {
namespace {}

TextLabel::TextLabel(const QString& text, const QColor& color, bool wrap, QWidget* parent)
    : QWidget(parent), text_(text), color_(color), wrap_(wrap) {
    setFont(DefaultGuiFont());
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void TextLabel::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    update();
}

void TextLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), WindowGrey());
    painter.setPen(color_);
    painter.setFont(font());
    const int flags = wrap_ ? Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap
                            : Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(rect(), flags, text_);
}

}  // namespace morvelin
