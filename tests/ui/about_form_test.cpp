// The About window and its placement over the main window. Runs without a
// display (QT_QPA_PLATFORM=offscreen).

#include <QApplication>
#include <QPalette>
#include <QSignalSpy>
#include <QTest>
#include <climits>
#include <memory>

#include <gtest/gtest.h>

#include "about_form.h"
#include "window_placement.h"

namespace {

// --- Placement ------------------------------------------------------------

const QSize kAboutSize(284, 124);

TEST(AboutFormPositionTest, CentresOverRestoredMainWindow) {
  EXPECT_EQ(AboutFormPosition(QRect(100, 100, 870, 640), kAboutSize), QPoint(393, 358));
  EXPECT_EQ(AboutFormPosition(QRect(0, 0, 284, 124), kAboutSize), QPoint(0, 0));
}

TEST(AboutFormPositionTest, OddDifferenceDropsTheHalfPixel) {
  // 871 - 284 = 587 -> 293; 641 - 124 = 517 -> 258.
  EXPECT_EQ(AboutFormPosition(QRect(100, 100, 871, 641), kAboutSize), QPoint(393, 358));
  // Each axis on its own: only the width is odd here.
  EXPECT_EQ(AboutFormPosition(QRect(10, 20, 285, 124), kAboutSize), QPoint(10, 20));
  EXPECT_EQ(AboutFormPosition(QRect(10, 20, 284, 127), kAboutSize), QPoint(10, 21));
}

TEST(AboutFormPositionTest, WidthAndHeightAreNotSwapped) {
  // A tall narrow main window: a mix-up of the axes shows at once.
  EXPECT_EQ(AboutFormPosition(QRect(0, 0, 400, 1000), kAboutSize), QPoint(58, 438));
}

TEST(AboutFormPositionTest, NegativeScreenCoordinates) {
  // A main window on a monitor left of and above the primary one.
  EXPECT_EQ(AboutFormPosition(QRect(-1920, -300, 1920, 1080), kAboutSize), QPoint(-1102, 178));
  EXPECT_EQ(AboutFormPosition(QRect(-1000, -1000, 871, 641), kAboutSize), QPoint(-707, -742));
}

TEST(AboutFormPositionTest, MainWindowSmallerThanAboutTruncatesTowardZero) {
  // 100 - 284 = -184 -> -92; 50 - 124 = -74 -> -37.
  EXPECT_EQ(AboutFormPosition(QRect(0, 0, 100, 50), kAboutSize), QPoint(-92, -37));
  // 101 - 284 = -183 -> -91 (toward zero, not -92); 51 - 124 = -73 -> -36.
  EXPECT_EQ(AboutFormPosition(QRect(0, 0, 101, 51), kAboutSize), QPoint(-91, -36));
  EXPECT_EQ(AboutFormPosition(QRect(-5, -5, 101, 51), kAboutSize), QPoint(-96, -41));
}

TEST(AboutFormPositionTest, FarOffEdgesStayInRange) {
  // -2147483000 + (100 - 2000) / 2 lies below INT_MIN: pinned there instead
  // of wrapping round to a huge positive edge.
  const QRect farLeft(QPoint(-2147483000, 0), QSize(100, 100));
  const QPoint at = AboutFormPosition(farLeft, QSize(2000, 100));
  EXPECT_EQ(at.x(), INT_MIN);
  EXPECT_EQ(at.y(), 0);
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
  EXPECT_EQ(form.size(), QSize(284, 124));
  EXPECT_EQ(form.minimumSize(), QSize(284, 124));
  EXPECT_EQ(form.maximumSize(), QSize(284, 124));

  const Qt::WindowFlags flags = form.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(form.windowType(), Qt::Tool);

  EXPECT_EQ(qRound(form.windowOpacity() * 255), 200);
  EXPECT_EQ(form.windowTitle(), kWindowText);
  EXPECT_TRUE(form.autoFillBackground());
  EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0, 0, 128));
  EXPECT_EQ(form.font().pixelSize(), 11);

  form.show();
  EXPECT_EQ(form.frameGeometry().size(), QSize(284, 124)) << "outer size equals client size";
}

TEST_F(AboutFormTest, LabelsAndButtonAsLaidOut) {
  TAboutForm form;
  ASSERT_NE(form.lbAbout, nullptr);
  ASSERT_NE(form.Label1, nullptr);
  ASSERT_NE(form.btOK, nullptr);

  struct Expected {
    QLabel* label;
    QString text;
    QRect geometry;
    bool bold;
  };
  for (const Expected& e :
       {Expected{form.lbAbout, QStringLiteral("Trevalune"), {8, 16, 265, 18}, true},
        Expected{form.Label1, kVersionText, {8, 40, 265, 18}, false}}) {
    SCOPED_TRACE(e.text.toStdString());
    EXPECT_EQ(e.label->parentWidget(), &form);
    EXPECT_EQ(e.label->text(), e.text);
    EXPECT_EQ(e.label->geometry(), e.geometry);
    EXPECT_EQ(e.label->font().bold(), e.bold);
    EXPECT_EQ(e.label->font().pixelSize(), 16);
    EXPECT_TRUE(e.label->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_FALSE(e.label->autoFillBackground()) << "the navy shows behind the letters";
    EXPECT_EQ(e.label->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_EQ(e.label->focusPolicy(), Qt::NoFocus);
  }

  EXPECT_EQ(form.btOK->parentWidget(), &form);
  EXPECT_EQ(form.btOK->text(), kButtonText);
  EXPECT_EQ(form.btOK->geometry(), QRect(104, 88, 75, 25));
  EXPECT_EQ(form.btOK->font().pixelSize(), 11) << "the button uses the window font";
  EXPECT_FALSE(form.btOK->isDefault());
  EXPECT_EQ(form.focusWidget(), form.btOK) << "the button holds the focus";
}

TEST_F(AboutFormTest, StaysAHiddenWindowOfItsOwnWhenGivenAParent) {
  QWidget mainWindow;
  mainWindow.resize(870, 640);
  auto* form = new TAboutForm(&mainWindow);
  mainWindow.show();
  EXPECT_TRUE(form->isWindow()) << "not embedded in the main window";
  EXPECT_EQ(form->parentWidget(), &mainWindow);
  EXPECT_FALSE(form->isVisible()) << "showing the main window does not show it";
}

TEST_F(AboutFormTest, ButtonHidesTheWindowOnly) {
  QWidget mainWindow;
  auto* form = new TAboutForm(&mainWindow);
  mainWindow.show();
  form->show();
  ASSERT_TRUE(form->isVisible());

  QTest::mouseClick(form->btOK, Qt::LeftButton);
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(mainWindow.isVisible());

  // It can be shown again after being hidden, and hidden again directly.
  form->show();
  EXPECT_TRUE(form->isVisible());
  form->btOKClick();
  EXPECT_FALSE(form->isVisible());
  EXPECT_TRUE(mainWindow.isVisible());
}

TEST_F(AboutFormTest, EscapeDoesNothing) {
  TAboutForm form;
  form.show();
  QSignalSpy clicks(form.btOK, &QPushButton::clicked);
  QTest::keyClick(form.btOK, Qt::Key_Escape);
  QTest::keyClick(&form, Qt::Key_Escape);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(clicks.count(), 0);
}

TEST_F(AboutFormTest, EnterReturnAndSpacePressTheFocusedButton) {
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    SCOPED_TRACE(key);
    TAboutForm form;
    form.show();
    QSignalSpy clicks(form.btOK, &QPushButton::clicked);
    QTest::keyClick(form.btOK, key);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(form.isVisible());
  }
}

}  // namespace
