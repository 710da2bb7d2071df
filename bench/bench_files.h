#pragma once

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "samplegen/sample_image.h"
#include "tables/target_file.h"

// A generated sample executable on disk, removed again at exit.
class BenchSampleFile {
 public:
  BenchSampleFile() {
    dir_ = std::filesystem::temp_directory_path() /
           ("trevalune-bench-" + std::to_string(static_cast<long>(::getpid())));
    std::filesystem::create_directories(dir_);
    path_ = dir_ / "HMM2PL.exe";
    const Sample sample = MakeSample(1);
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(sample.image.data()),
              static_cast<std::streamsize>(sample.image.size()));
  }
  ~BenchSampleFile() { std::filesystem::remove_all(dir_); }

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path Sibling(const std::string& name) const { return dir_ / name; }

 private:
  std::filesystem::path dir_;
  std::filesystem::path path_;
};

// The sample of this benchmark program, made on first use.
inline BenchSampleFile& SampleFile() {
  static BenchSampleFile file;
  return file;
}

inline QString PathOf(const std::filesystem::path& path) {
  return QString::fromStdString(path.string());
}

inline void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// The file read once into a fresh buffer in memory, with the C library: the
// floor of an Open.
inline void ReadOnce(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  Bytes bytes(ExpectedFileSize);
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  benchmark::DoNotOptimize(got);
  benchmark::DoNotOptimize(bytes.data());
}

// Lets a window handle the events its last step posted (layout, repaint).
inline void CatchUp() {
  QCoreApplication::processEvents();
}
