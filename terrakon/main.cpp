#include <cstdio>

int main() {
  std::puts("terrakon: the main window is not built yet; this placeholder only checks that the program links.");
  return 0;
}
