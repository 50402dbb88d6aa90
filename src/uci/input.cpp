// Command lines from standard input, from memory or from a supplier (a
// browser's messages). Only the command loop reads them, with blocking reads:
// a search never looks at the input (but for a build without threads, whose
// polls read the commands that are already waiting).
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <cstring>

#include "uci/uci.h"

namespace velta {

namespace {

// The system's read of standard input (a pipe, a file or a console): the
// bytes read, 0 at its end, negative on an error. Windows reads in binary
// mode, as other systems do: its text mode would end the input at a Ctrl-Z
// byte, and read_line drops the carriage return of a CR LF itself.
#ifdef _WIN32
void prepare_standard_input() { _setmode(0, _O_BINARY); }
long read_standard_input(char* buffer, unsigned size) { return _read(0, buffer, size); }
#else
void prepare_standard_input() {}
long read_standard_input(char* buffer, unsigned size) { return long(read(0, buffer, size)); }
#endif

// Refills the empty buffer, waiting for bytes or not; false when none came.
bool refill(LineInput& in, bool wait) {
  if (in.at_end || in.in_memory) return false;
  long n =
      in.supply ? in.supply(in.buffer, int(sizeof in.buffer), wait) : read_standard_input(in.buffer, sizeof in.buffer);
  if (n < 0 || (n == 0 && (wait || !in.supply))) in.at_end = true;
  if (n <= 0) return false;
  in.head = in.buffer;
  in.tail = in.buffer + n;
  return true;
}

// The next byte of input, or -1 at its end.
int read_byte(LineInput& in) {
  if (in.head == in.tail && !refill(in, true)) return -1;
  return static_cast<unsigned char>(*in.head++);
}

}  // namespace

bool input_waiting(LineInput& in) { return in.head < in.tail || refill(in, false); }

bool wait_for_input(LineInput& in) { return in.head < in.tail || refill(in, true); }

void use_standard_input(LineInput& in) {
  prepare_standard_input();
  in.head = in.tail = in.buffer;
  in.at_end = in.in_memory = false;
  in.supply = nullptr;
}

void use_memory_input(LineInput& in, const char* data, size_t size) {
  in.head = data;
  in.tail = data + size;
  in.in_memory = true;
  in.at_end = false;
}

// Blanks (space, tab) before the first character are skipped and runs of them
// become one space; a line is cut at 8191 characters, and the rest of it is
// read and thrown away so it cannot pass for the next command.
bool read_line(LineInput& in, char* line) {
  int length = 0, c;
  bool read_any = false;
  while ((c = read_byte(in)) >= 0 && c != '\n') {
    read_any = true;
    if (c == ' ' || c == '\t') {
      if (length == 0 || line[length - 1] == ' ') continue;
      c = ' ';
    }
    line[length++] = char(c);
    if (length == LINE_SIZE - 1) {
      info_string("Warning: input is too long and will be truncated (max = %i bytes)", LINE_SIZE);
      while ((c = read_byte(in)) >= 0 && c != '\n') {
      }
      break;
    }
  }
  // A carriage return before the line feed is part of the line end, not of the line.
  if (c == '\n' && length > 0 && line[length - 1] == '\r') --length;
  if (length > 0 && line[length - 1] == ' ') --length;
  line[length] = '\0';
  return read_any || c == '\n';
}

}  // namespace velta
