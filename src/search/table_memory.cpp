// The transposition table's memory, in each system's own calls: a block
// that starts zero-filled (every slot empty), whose pages a thread of its
// own then has the system provide while the searches may already use it.
// The first searches would otherwise stall on a page fault for each new
// page, and a start-up that waited for all of them would keep a GUI waiting.
#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <atomic>

#include "search/internal.h"

namespace velta {

namespace {

constexpr size_t SMALL_PAGE = 4096;

// Writes to every page without changing it: an atomic add of zero to its
// first word (a slot's key word), which a search storing the same slot at the
// same moment cannot lose.
void touch_pages(void* start, size_t bytes) {
  for (size_t offset = 0; offset < bytes; offset += SMALL_PAGE)
    reinterpret_cast<std::atomic<uint64_t>*>(static_cast<char*>(start) + offset)
        ->fetch_add(0, std::memory_order_relaxed);
}

#ifdef _WIN32
// Large pages need the "Lock pages in memory" right, which an administrator
// grants to an account; the process must still switch it on for itself.
bool enable_lock_memory_privilege() {
  HANDLE token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  bool enabled = LookupPrivilegeValueA(nullptr, "SeLockMemoryPrivilege", &privileges.Privileges[0].Luid) &&
                 AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
                 GetLastError() == ERROR_SUCCESS;  // not ERROR_NOT_ALL_ASSIGNED
  CloseHandle(token);
  return enabled;
}
#else
constexpr size_t HUGE_PAGE = size_t(2) << 20;
// A browser's memory is provided as it grows: its mappings come filled with zeros.
#ifdef __EMSCRIPTEN__
constexpr bool IN_BROWSER = true;
#else
constexpr bool IN_BROWSER = false;
#endif
#endif

}  // namespace

#ifdef _WIN32

// Large pages when the system grants them (resident at once, never paged
// out), else committed pages of the usual size, provided by touch_pages.
void* map_table_memory(TranspositionTable& tt, size_t bytes, bool& resident) {
  size_t large = GetLargePageMinimum();
  void* base = nullptr;
  size_t size = large ? (bytes + large - 1) / large * large : 0;
  if (large && enable_lock_memory_privilege())
    base = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT | MEM_LARGE_PAGES, PAGE_READWRITE);
  resident = base != nullptr;
  if (!base) base = VirtualAlloc(nullptr, size = bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  tt.mapping = base;
  tt.mapping_size = size;
  return base;
}

void provide_table_memory(void* start, size_t bytes) { touch_pages(start, bytes); }

void unmap_table_memory(TranspositionTable& tt) { VirtualFree(tt.mapping, 0, MEM_RELEASE); }

#else

// A private anonymous mapping, aligned to 2 MB and marked for huge pages: a
// probe touches a random bucket, and with 4 KB pages nearly every probe
// would also miss the TLB.
void* map_table_memory(TranspositionTable& tt, size_t bytes, bool& resident) {
  resident = IN_BROWSER;
  void* base = mmap(nullptr, bytes + HUGE_PAGE, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return nullptr;
  uintptr_t aligned = (reinterpret_cast<uintptr_t>(base) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
  tt.mapping = base;
  tt.mapping_size = bytes + HUGE_PAGE;
  return reinterpret_cast<void*>(aligned);
}

// Linux 5.14 and later provide the pages in one call, which leaves their
// contents as they are; elsewhere (older kernels, other systems) each page is
// touched. Under an emulator the call may succeed and do nothing: the pages
// then come with the first searches, which only costs time.
void provide_table_memory(void* start, size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  if (madvise(start, bytes, MADV_POPULATE_WRITE) == 0) return;
#endif
  touch_pages(start, bytes);
}

void unmap_table_memory(TranspositionTable& tt) { munmap(tt.mapping, tt.mapping_size); }

#endif

}  // namespace velta
