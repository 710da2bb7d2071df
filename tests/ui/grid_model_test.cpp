// The grid's model checked by Qt's model tester while the window uses it: the
// signals of every reshape, reset and cell change must agree with what the
// model then reports.

#include "grid/grid_model.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QTabBar>
#include <QTest>

#include "grid/string_grid.h"
#include "tests/ui/window_fixtures.h"
#include "ui/grid_clipboard.h"

namespace {

// Every complaint of the tester, gathered while the test runs.
QStringList complaints;

void KeepComplaints(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtDebugMsg && QByteArrayView(context.category) == "qt.modeltest")
    complaints.append(message);
}

class GridModelTest : public SampleWindowTest {
 protected:
  void SetUp() override {
    complaints.clear();
    previous_handler = qInstallMessageHandler(KeepComplaints);
    SampleWindowTest::SetUp();
  }
  void TearDown() override { qInstallMessageHandler(previous_handler); }

  QtMessageHandler previous_handler = nullptr;
};

TEST_F(GridModelTest, QtsModelTesterFindsNothingThroughASession) {
  GridModel* model = grid->Model();
  const QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
  const auto edit = [&](int row, int column, const QString& text) {
    model->setData(model->index(row, column), text, Qt::EditRole);
  };
  edit(0, 0, QStringLiteral("12"));
  edit(3, 4, QStringLiteral("abc"));  // not a number: marked
  for (const int tab : {2, 1, 0, 1}) {
    Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(tab);
    edit(model->rowCount() - 1, model->columnCount() - 1, QStringLiteral("7"));
  }
  grid->SetCurrentCell(1, 1);
  form->Clipboard()->Paste(QStringLiteral("1\t2\t3\r\n4\t5\t6\r\n"));
  // Undo as far as it goes, showing the tab of each step in turn.
  while (Named<QAction>(form, "mm_Undo")->isEnabled())
    Named<QAction>(form, "mm_Undo")->trigger();
  Named<QTabBar>(form, "tc_Tabs")->setCurrentIndex(2);
  OpenFile(WriteSample(QStringLiteral("other.exe"), 8));
  ASSERT_TRUE(form->FileLoaded());
  EXPECT_EQ(model->rowCount(), RowCounts[kCreatures] - 1);
  edit(1, 1, QStringLiteral("-3"));
  QTest::qWait(0);  // the views' queued work
  EXPECT_TRUE(complaints.isEmpty()) << complaints.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
