#include "about_form.h"

#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>

#include "ui_fonts.h"
#include "version.h"

namespace {

constexpr int kFormWidth = 284;
constexpr int kFormHeight = 124;
const QColor kNavy(0, 0, 128);

QLabel* MakeLabel(QWidget* parent, const QString& text, const QRect& geometry, bool bold) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(geometry);
  label->setFont(MakeFont({"Verdana", "DejaVu Sans"}, 16, QFont::SansSerif, bold));
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  // No background of its own: the navy of the window shows behind the letters.
  label->setAutoFillBackground(false);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  label->setPalette(palette);
  return label;
}

}  // namespace

TAboutForm::TAboutForm(QWidget* parent)
    // A frameless tool window stays above the main window (its parent) and off
    // the task bar; the stays-on-top hint keeps it above ordinary windows too.
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setFixedSize(kFormWidth, kFormHeight);
  setWindowOpacity(200 / 255.0);
  setFont(MakeFont({"MS Sans Serif", "DejaVu Sans"}, 11, QFont::SansSerif));

  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kNavy);
  setPalette(palette);
  setAutoFillBackground(true);

  btOK = new QPushButton(this);
  btOK->setGeometry(104, 88, 75, 25);
  // Enter and Space press the button while it has the focus. It is never the
  // window's default button, and Escape is left alone: nothing closes this
  // window but the button.
  btOK->setAutoDefault(true);
  btOK->setDefault(false);
  connect(btOK, &QPushButton::clicked, this, &TAboutForm::btOKClick);

  lbAbout = MakeLabel(this, QStringLiteral("Trevalune"), QRect(8, 16, 265, 18), true);
  Label1 = MakeLabel(this, QString(), QRect(8, 40, 265, 18), false);
  Retranslate();

  // The button is the only control that takes the focus; it has it whenever
  // the window is active.
  btOK->setFocus();
}

void TAboutForm::btOKClick() {
  hide();
}

void TAboutForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::LanguageChange)
    Retranslate();
}

void TAboutForm::Retranslate() {
  setWindowTitle(tr("О программе"));
  btOK->setText(tr("ОК"));
  Label1->setText(tr("Версия %1").arg(QStringLiteral(TREVALUNE_VERSION)));
}
