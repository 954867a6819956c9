#include <cstdio>

int main() {
  std::puts("velqo-cli: not built yet");
  return 1;
}
