// main.cpp - placeholder main program until the viewer exists: goes through
// the frame's start-up and ends through end_program.
#include "runtime/frame/lifecycle.h"

int main() {
  log_line("Snipvault starting");
  end_program();
}
