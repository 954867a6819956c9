// Generates a deterministic test tree for the engine benchmark:
//   make_tree ROOT FILES DIRS [SIZE]
// makes ROOT holding DIRS directories (ROOT itself counted, the others in a
// tree of fan-out 50, numbered breadth-first) and FILES files spread evenly
// over them, with mixed-case names, sizes of 0 to 4095 bytes (or SIZE bytes
// each) and distinct even-second modification times. The same arguments always give the same
// tree; copy it with `cp -a` for an equal second tree.
#include <sys/stat.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr long kFanOut = 50;
constexpr long kFirstTime = 1600000000;

bool MakeDir(const std::string& path) { return mkdir(path.c_str(), 0755) == 0; }

bool WriteFile(const std::string& path, long size, long when) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::string data(static_cast<std::size_t>(size), 'x');
  const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  if (std::fclose(f) != 0 || !ok) return false;
  const struct timeval times[2] = {{when, 0}, {when, 0}};
  return utimes(path.c_str(), times) == 0;
}

std::string DirName(long i) {
  char name[32];
  std::snprintf(name, sizeof name, "Dir_%05ld", i);
  return name;
}

std::string FileName(long i) {
  char name[32];
  std::snprintf(name, sizeof name, "File_%07ld.Txt", i);
  return name;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: make_tree ROOT FILES DIRS [SIZE]\n");
    return 2;
  }
  const std::string root = argv[1];
  const long files = std::atol(argv[2]);
  const long dirs = std::atol(argv[3]);
  const long size = argc == 5 ? std::atol(argv[4]) : -1;
  if (files < 0 || dirs < 1 || (argc == 5 && size < 0)) {
    std::fprintf(stderr, "make_tree: FILES and SIZE must be >= 0 and DIRS >= 1\n");
    return 2;
  }
  std::vector<std::string> paths(static_cast<std::size_t>(dirs));
  paths[0] = root;
  if (!MakeDir(root)) {
    std::perror(root.c_str());
    return 1;
  }
  for (long i = 1; i < dirs; ++i) {
    paths[static_cast<std::size_t>(i)] = paths[static_cast<std::size_t>((i - 1) / kFanOut)] + "/" + DirName(i);
    if (!MakeDir(paths[static_cast<std::size_t>(i)])) {
      std::perror(paths[static_cast<std::size_t>(i)].c_str());
      return 1;
    }
  }
  for (long i = 0; i < files; ++i) {
    const std::string path = paths[static_cast<std::size_t>(i % dirs)] + "/" + FileName(i);
    if (!WriteFile(path, size >= 0 ? size : (i * 7919) % 4096, kFirstTime + 2 * i)) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}
