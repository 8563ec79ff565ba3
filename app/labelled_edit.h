// TLabeledEdit: a single-line edit that carries its label text just above
// the edit box, as the window's settings fields do. The label is a sibling
// widget on the same parent, so the parent owns both. Main thread only.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QRect>
#include <QString>

class TLabeledEdit : public QLineEdit {
 public:
  // `bounds` is the edit box within `parent`; the label sits above it.
  TLabeledEdit(QWidget* parent, const QString& label_text, const QRect& bounds);

  QLabel* EditLabel() const { return FLabel; }

  // Shows every typed character as "*" (password fields).
  void MaskInput();

 private:
  QLabel* FLabel;
};
