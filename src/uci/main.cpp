// Velta: a UCI chess engine. No arguments; commands on standard input.
#include "uci/uci.h"

int main() {
  velta::start_engine();
  velta::command_loop();
  return 0;
}
