#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <gtest/gtest.h>

#include "main_form.h"
#include "sample_image.h"
#include "ui_test_support.h"

// The main window, shown and exposed, with the sample of seed 7 open as
// HMM2PL.exe from a folder of the test's own.
class SampleWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    form = std::make_unique<TMainForm>(&dialogs, &store);
    form->resize(870, 640);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    source = MakeSample(7).image;
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("HMM2PL.exe")), source));
    form->OpenPath(Path(QStringLiteral("HMM2PL.exe")));
    ASSERT_TRUE(form->FileLoaded());
    grid = form->sg_Table;
  }

  QString Path(const QString& name) const { return dir.filePath(name); }

  QTemporaryDir dir;
  FakeDialogs dialogs;
  FaultyFileStore store;
  std::unique_ptr<TMainForm> form;
  TStringGrid* grid = nullptr;
  Bytes source;
};
