// gen_catalogue.cpp - writes a made-up catalogue (see gen_catalogue.h):
//   gen_catalogue OUT.INI [SNIPPETS_PER_CATEGORY [SEED]]
// 10,000 per category (about 20 MB) unless told otherwise.
#include <cstdio>
#include <cstdlib>

#include "tools/gen_catalogue.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gen_catalogue OUT.INI [SNIPPETS_PER_CATEGORY [SEED]]\n");
    return 2;
  }
  int per = argc > 2 ? std::atoi(argv[2]) : 10000;
  uint32_t seed = argc > 3 ? uint32_t(std::strtoul(argv[3], nullptr, 10)) : 20;
  std::string text = gen_catalogue::generate(per, seed);
  FILE* f = std::fopen(argv[1], "wb");
  if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
