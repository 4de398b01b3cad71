// Writes each argument the C runtime gave it on a line of its own, as hex, so that no byte is
// lost to a console's code page.
#include <cstdio>
#include <cstdlib>

int main() {
  for (int i = 0; i < __argc; ++i) {
    for (const char* p = __argv[i]; *p != '\0'; ++p) {
      std::printf("%02x", static_cast<unsigned char>(*p));
    }
    std::printf("\n");
  }
  return 0;
}
