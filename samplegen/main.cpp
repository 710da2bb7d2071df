// Writes a sample executable for trying the editor:
//   trevalune-sample [--seed N] FILE
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "sample_image.h"

int main(int argc, char** argv) {
  std::uint32_t seed = 1;
  std::string path;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seed" && i + 1 < argc) {
      seed = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      path = arg;
    }
  }
  if (path.empty()) {
    std::fprintf(stderr, "usage: %s [--seed N] FILE\n", argv[0]);
    return 2;
  }
  const Sample sample = MakeSample(seed);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(sample.image.data()),
            static_cast<std::streamsize>(sample.image.size()));
  out.close();
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
