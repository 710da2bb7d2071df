// The About window and its placement over the main window. Runs without a
// display (QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QPalette>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <memory>

#include <gtest/gtest.h>

#include "tests/support/window_parts.h"
#include "ui/about_form.h"
#include "ui/window_placement.h"

namespace {

// --- Placement ------------------------------------------------------------

// main edge + (main extent - about extent) / 2 on each axis, the division
// truncating toward zero, and an edge beyond the int range pinned to it.
TEST(AboutFormPositionTest, CentresOverTheMainWindowFrame) {
  const QSize about(284, 124);
  const struct {
    const char* what;
    QRect main;
    QSize about;
    QPoint expected;
  } cases[] = {
      {"restored", {100, 100, 870, 640}, about, {393, 358}},
      {"same size", {0, 0, 284, 124}, about, {0, 0}},
      // 871 - 284 = 587 -> 293; 641 - 124 = 517 -> 258.
      {"odd differences drop the half pixel", {100, 100, 871, 641}, about, {393, 358}},
      {"only the width odd", {10, 20, 285, 124}, about, {10, 20}},
      {"only the height odd", {10, 20, 284, 127}, about, {10, 21}},
      {"tall and narrow: axes not swapped", {0, 0, 400, 1000}, about, {58, 438}},
      {"monitor left of and above the primary", {-1920, -300, 1920, 1080}, about, {-1102, 178}},
      {"negative and odd", {-1000, -1000, 871, 641}, about, {-707, -742}},
      // 100 - 284 = -184 -> -92; 50 - 124 = -74 -> -37.
      {"smaller than About", {0, 0, 100, 50}, about, {-92, -37}},
      // 101 - 284 = -183 -> -91 (toward zero, not -92); 51 - 124 = -73 -> -36.
      {"smaller and odd truncates toward zero", {0, 0, 101, 51}, about, {-91, -36}},
      {"smaller, odd and negative", {-5, -5, 101, 51}, about, {-96, -41}},
      // -2147483000 + (100 - 2000) / 2 lies below INT_MIN: pinned there
      // instead of wrapping round to a huge positive edge.
      {"far off the left edge", {-2147483000, 0, 100, 100}, {2000, 100}, {INT_MIN, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(AboutFormPosition(c.main, c.about), c.expected);
  }
}

// --- The window -----------------------------------------------------------

// The Cyrillic texts spelled as UTF-8 bytes, so that a Latin look-alike
// ("OK" in Latin letters) cannot pass.
const QString kWindowText = QString::fromUtf8(
    "\xD0\x9E \xD0\xBF\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD0\xB5");
const QString kVersionText =
    QString::fromUtf8("\xD0\x92\xD0\xB5\xD1\x80\xD1\x81\xD0\xB8\xD1\x8F 1.1");
const QString kButtonText = QString::fromUtf8("\xD0\x9E\xD0\x9A");

class AboutFormTest : public ::testing::Test {
 protected:
  // The tests need an application object; one made here is dropped again at
  // the end of the suite, one made by the test runner is left alone.
  static void SetUpTestSuite() {
    if (QApplication::instance() == nullptr) {
      static int argc = 1;
      static char name[] = "about_form_test";
      static char* argv[] = {name, nullptr};
      ownApp_ = std::make_unique<QApplication>(argc, argv);
    }
  }
  static void TearDownTestSuite() { ownApp_.reset(); }

  static std::unique_ptr<QApplication> ownApp_;
};

std::unique_ptr<QApplication> AboutFormTest::ownApp_;

TEST_F(AboutFormTest, WindowIsABorderlessNavyPanelKeptOnTop) {
  TAboutForm form;
  EXPECT_TRUE(form.isWindow());
  EXPECT_TRUE(form.isHidden()) << "created hidden";
  EXPECT_EQ(form.minimumSize(), form.size()) << "not resizable";
  EXPECT_EQ(form.maximumSize(), form.size()) << "not resizable";

  const Qt::WindowFlags flags = form.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(form.windowType(), Qt::Tool);

  EXPECT_EQ(qRound(form.windowOpacity() * 255), 200);
  EXPECT_EQ(form.windowTitle(), kWindowText);
  EXPECT_TRUE(form.autoFillBackground());
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0, 0, 128));

  form.show();
  EXPECT_EQ(form.frameGeometry().size(), form.size()) << "outer size equals client size";
}

TEST_F(AboutFormTest, LabelsAndButtonAsLaidOut) {
  TAboutForm form;
  ASSERT_NE(Named<QLabel>(&form, "lbAbout"), nullptr);
  ASSERT_NE(Named<QLabel>(&form, "Label1"), nullptr);
  ASSERT_NE(Named<QPushButton>(&form, "btOK"), nullptr);

  struct Expected {
    QLabel* label;
    QString text;
    bool bold;
  };
  for (const Expected& e :
       {Expected{Named<QLabel>(&form, "lbAbout"), QStringLiteral("Trevalune"), true},
        Expected{Named<QLabel>(&form, "Label1"), kVersionText, false}}) {
    SCOPED_TRACE(e.text.toStdString());
    EXPECT_EQ(e.label->parentWidget(), &form);
    EXPECT_EQ(e.label->text(), e.text);
    EXPECT_EQ(e.label->font().bold(), e.bold);
    EXPECT_TRUE(e.label->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_FALSE(e.label->autoFillBackground()) << "the navy shows behind the letters";
    EXPECT_EQ(e.label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(e.label->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(e.label->toolTip(), form.toolTip());
  }
  // The tooltip names each component with the version it was built with.
  const QString components = form.toolTip();
  for (const char* name : {"Qt ", "QCustomPlot ", "muParser ", "libcsv ", "zlib "}) {
    SCOPED_TRACE(name);
    const QRegularExpression version(QLatin1String(name) +
                                     QStringLiteral("\\d+\\.\\d+(\\.\\d+)? \\("));
    EXPECT_TRUE(version.match(components).hasMatch()) << components.toStdString();
  }

  EXPECT_EQ(Named<QPushButton>(&form, "btOK")->parentWidget(), &form);
  EXPECT_EQ(Named<QPushButton>(&form, "btOK")->text(), kButtonText);
  EXPECT_EQ(Named<QPushButton>(&form, "btOK")->font(), form.font())
      << "the button uses the window font";
  EXPECT_FALSE(Named<QPushButton>(&form, "btOK")->isDefault());
  EXPECT_EQ(form.focusWidget(), Named<QPushButton>(&form, "btOK")) << "the button holds the focus";
}

// Given a parent, it stays a hidden window of its own; its button hides it
// and nothing else, and it can be shown and hidden again.
TEST_F(AboutFormTest, ButtonHidesTheWindowOnly) {
  QWidget mainWindow;
  mainWindow.resize(870, 640);
  auto* form = new TAboutForm(&mainWindow);
  mainWindow.show();
  EXPECT_TRUE(form->isWindow()) << "not embedded in the main window";
  EXPECT_EQ(form->parentWidget(), &mainWindow);
  EXPECT_FALSE(form->isVisible()) << "showing the main window does not show it";

  form->show();
  ASSERT_TRUE(form->isVisible());
  QTest::mouseClick(Named<QPushButton>(form, "btOK"), Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(mainWindow.isVisible());

  form->show();
  EXPECT_TRUE(form->isVisible());
  form->btOKClick();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(mainWindow.isVisible());
}

// Return, Enter and Space press the focused button; Escape, on the button or
// on the window, does nothing.
TEST_F(AboutFormTest, KeysPressTheButtonButEscapeDoesNothing) {
  const struct {
    Qt::Key key;
    bool to_window;
    int clicks;
  } cases[] = {{Qt::Key_Return, false, 1},
               {Qt::Key_Enter, false, 1},
               {Qt::Key_Space, false, 1},
               {Qt::Key_Escape, false, 0},
               {Qt::Key_Escape, true, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "key " << c.key << (c.to_window ? " to the window" : ""));
    TAboutForm form;
    form.show();
    QSignalSpy clicks(Named<QPushButton>(&form, "btOK"), &QPushButton::clicked);
    QTest::keyClick(c.to_window ? static_cast<QWidget*>(&form) : Named<QPushButton>(&form, "btOK"),
                    c.key);
    EXPECT_EQ(clicks.count(), c.clicks);
    EXPECT_EQ(form.isVisible(), c.clicks == 0);
  }
}

}  // namespace
