#pragma once

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <gtest/gtest.h>

#include "samplegen/sample_image.h"
#include "tests/ui/ui_test_support.h"
#include "ui/main_form.h"

// The main window shown, its dialogs answered from code, the disk behind a
// store that fails on demand, and a folder of the test's own.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    form = std::make_unique<TMainForm>(&dialogs, &store);
    form->show();
  }

  QString Path(const QString& name) const { return dir.filePath(name); }

  // Writes the sample of `seed` under `name`, making its folder, and returns its path.
  QString WriteSample(const QString& name, std::uint32_t seed = 7) {
    const QString path = Path(name);
    EXPECT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    EXPECT_TRUE(WriteBytes(path, MakeSample(seed).image));
    return path;
  }

  void OpenFile(const QString& path) {
    dialogs.open_answers.push_back(path);
    form->OpenClick();
  }

  void SaveAs(const QString& path) {
    dialogs.save_answers.push_back(path);
    form->mm_SaveAsClick();
  }

  QTemporaryDir dir;
  FakeDialogs dialogs;
  FaultyFileStore store;
  std::unique_ptr<TMainForm> form;
};

// The window at a usual size and exposed, with the sample of seed 7 open as
// HMM2PL.exe.
class SampleWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    form->resize(870, 640);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    source = MakeSample(7).image;
    form->OpenPath(WriteSample(QStringLiteral("HMM2PL.exe")));
    ASSERT_TRUE(form->FileLoaded());
    grid = Named<TStringGrid>(form, "sg_Table");
  }

  TStringGrid* grid = nullptr;
  Bytes source;
};
