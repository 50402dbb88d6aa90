// Standard input: a small buffer refilled by read(2), and a test for waiting
// bytes that looks at the buffer first and then at the descriptor, without
// consuming anything.
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "uci/uci.h"

namespace velta {

namespace {

char buffer[4096];
const char* head = buffer;
const char* tail = buffer;
bool at_end;     // read(2) has reported end of input
bool in_memory;  // input comes from a block of memory, not the descriptor

// Regular files report their unread length; pipes and terminals are polled.
int descriptor_state() {
  static int regular = -1;
  if (regular < 0) {
    struct stat st;
    regular = fstat(0, &st) == 0 && S_ISREG(st.st_mode);
  }
  if (regular) {
    int unread = 0;
    if (ioctl(0, FIONREAD, &unread) != 0) return INPUT_CLOSED;
    return unread > 0 ? INPUT_WAITING : INPUT_CLOSED;
  }
  struct pollfd fd = {0, POLLIN, 0};
  if (poll(&fd, 1, 0) <= 0) return INPUT_NONE;
  if (fd.revents & POLLIN) return INPUT_WAITING;
  return fd.revents & (POLLHUP | POLLERR | POLLNVAL) ? INPUT_CLOSED : INPUT_NONE;
}

}  // namespace

void use_memory_input(const char* data, size_t size) {
  head = data;
  tail = data + size;
  in_memory = true;
  at_end = false;
}

int input_state() {
  if (head < tail) return INPUT_WAITING;
  if (at_end || in_memory) return INPUT_CLOSED;
  return descriptor_state();
}

int read_input_byte() {
  if (head == tail) {
    if (at_end || in_memory) return -1;
    ssize_t n = read(0, buffer, sizeof buffer);
    if (n <= 0) {
      at_end = true;
      return -1;
    }
    head = buffer;
    tail = buffer + n;
  }
  return static_cast<unsigned char>(*head++);
}

// Blanks (space, tab) before the first character are skipped and runs of them
// become one space; a line is cut at 8191 characters, and the rest of it is
// read and thrown away so it cannot pass for the next command.
bool read_line(char* line) {
  int length = 0, c;
  bool read_any = false;
  while ((c = read_input_byte()) >= 0 && c != '\n') {
    read_any = true;
    if (c == ' ' || c == '\t') {
      if (length == 0 || line[length - 1] == ' ') continue;
      c = ' ';
    }
    line[length++] = char(c);
    if (length == LINE_SIZE - 1) {
      info_string("Warning: input is too long and will be truncated (max = %i bytes)", LINE_SIZE);
      while ((c = read_input_byte()) >= 0 && c != '\n') {
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
