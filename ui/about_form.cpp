#include "ui/about_form.h"

#include <QEvent>
#include <QFont>
#include <QPalette>
#include <QString>
#include <QStringList>

#include "generated/third_party.h"
#include "generated/version.h"
#include "ui/command_window.h"
#include "ui/ui_fonts.h"

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
  NameParts({{btOK, "btOK"}, {lbAbout, "lbAbout"}, {Label1, "Label1"}});
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
  // The components the program is built with, briefly; the window keeps its
  // size and its three controls, so the list is the tooltip of all of it.
  const QString components = ComponentsText();
  for (QWidget* widget :
       {static_cast<QWidget*>(this), static_cast<QWidget*>(lbAbout), static_cast<QWidget*>(Label1)})
    widget->setToolTip(components);
}

QString TAboutForm::ComponentsText() {
  QStringList lines;
  lines << tr("Trevalune — свободная программа: GNU GPL версии 3 или новее.")
        << tr("В ней используются:")
        << tr("Qt %1 (GNU LGPL 3)").arg(QString::fromLatin1(qVersion()))
        << tr("QCustomPlot %1 (GNU GPL 3 или новее), для графика")
               .arg(QStringLiteral(TREVALUNE_QCUSTOMPLOT_VERSION))
        << tr("muParser %1 (BSD, 2 пункта), для формул")
               .arg(QStringLiteral(TREVALUNE_MUPARSER_VERSION))
        << tr("libcsv %1 (GNU LGPL 2.1 или новее), для CSV")
               .arg(QStringLiteral(TREVALUNE_LIBCSV_VERSION))
        << tr("zlib %1 (лицензия zlib), для контрольных сумм")
               .arg(QStringLiteral(TREVALUNE_ZLIB_VERSION));
#ifdef Q_OS_WIN
  lines << tr("библиотеки GCC и MinGW-w64 (GNU GPL 3 с исключением для библиотек; MIT)")
        << tr("Подробно, с текстами лицензий: THIRD-PARTY.txt рядом с программой.");
#endif
  return lines.join(QLatin1Char('\n'));
}
