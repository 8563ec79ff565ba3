// The labelled edit: the label is placed above the edit box, three pixels
// apart, left edges aligned. Masked input uses "*" whatever the style's own
// password character is.
#include "app/labelled_edit.h"

#include <QProxyStyle>

namespace {

constexpr int kLabelSpacing = 3;

class TStarPasswordStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return '*';
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
};

}  // namespace

TLabeledEdit::TLabeledEdit(QWidget* parent, const QString& label_text, const QRect& bounds)
    : QLineEdit(parent), FLabel(new QLabel(label_text, parent)) {
  setGeometry(bounds);
  FLabel->setBuddy(this);
  FLabel->adjustSize();
  FLabel->move(bounds.left(), bounds.top() - kLabelSpacing - FLabel->height());
}

void TLabeledEdit::MaskInput() {
  auto* style = new TStarPasswordStyle();
  style->setParent(this);  // a widget does not own the style it is given
  setStyle(style);
  setEchoMode(QLineEdit::Password);
}
