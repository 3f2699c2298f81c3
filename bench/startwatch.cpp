// Starts a program from inside Wine and times it with the performance counter, as another
// Windows program would see it:
//   startwatch exit PROGRAM [ARGS...]
//       from CreateProcess until the process has ended; prints {"ms":..,"exit":..}. A process
//       still running after 30 s is killed and reported as {"ms":-1,...,"timeout":true}.
//   startwatch visible CLASS COLOURS PROGRAM [ARGS...]
//       from CreateProcess until a top-level window of CLASS, owned by the started process, is
//       visible and painted: two screen pixels of it (mid-width 12 pixels below its top edge,
//       in the title row, and the middle of its client area) show the colours its finished
//       drawing gives them. COLOURS is "RRGGBB,RRGGBB", or "learn" to wait two seconds after the
//       window shows and report the colours found. The program is then ended as another program
//       would end it (hidden, then closed; killed after 30 s). Prints found, visible and painted
//       times and the colours.
//   startwatch memory CLASS
//       the memory counters of the process owning that window (GetProcessMemoryInfo).
// Exit code 0 when the measure was taken, 1 when it could not be, 2 on a usage error.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

double Now() {
  static const double ticksPerMs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(frequency.QuadPart) / 1000.0;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return double(counter.QuadPart) / ticksPerMs;
}

std::wstring CommandLine(int argc, wchar_t** argv, int first) {
  std::wstring line;
  for (int i = first; i < argc; ++i) {
    if (!line.empty()) line += L' ';
    line += L'"';
    line += argv[i];
    line += L'"';
  }
  return line;
}

bool Start(int argc, wchar_t** argv, int first, PROCESS_INFORMATION& process) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::wstring line = CommandLine(argc, argv, first);
  return CreateProcessW(argv[first], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process) != FALSE;
}

struct Found {
  const wchar_t* className;
  DWORD pid;  // 0: any process
  HWND window;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam) {
  auto* found = reinterpret_cast<Found*>(lParam);
  wchar_t name[257] = {};
  GetClassNameW(hwnd, name, 256);
  if (std::wcscmp(name, found->className) != 0) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (found->pid && pid != found->pid) return TRUE;
  found->window = hwnd;
  return FALSE;
}

HWND FindOwnedWindow(const wchar_t* className, DWORD pid) {
  // FindWindowW first: one server call while the window does not exist yet.
  if (!FindWindowW(className, nullptr)) return nullptr;
  Found found{className, pid, nullptr};
  EnumWindows(&Match, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

// The two watched points of a window, in screen coordinates.
void WatchedPoints(HWND window, POINT points[2]) {
  RECT frame{}, client{};
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  points[0] = POINT{(frame.left + frame.right) / 2, frame.top + 12};
  points[1] = POINT{client.right / 2, client.bottom / 2};
  ClientToScreen(window, &points[1]);
}

std::string Hex(COLORREF colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x%02x%02x", GetRValue(colour), GetGValue(colour),
                GetBValue(colour));
  return text;
}

bool ParseColours(const wchar_t* text, COLORREF colours[2]) {
  unsigned long values[2];
  if (std::swscanf(text, L"%6lx,%6lx", &values[0], &values[1]) != 2) return false;
  for (int i = 0; i < 2; ++i) {
    colours[i] = RGB((values[i] >> 16) & 0xFF, (values[i] >> 8) & 0xFF, values[i] & 0xFF);
  }
  return true;
}

// Ends the started program as another program would: hidden (a visible main window only hides
// when closed), then a close request; killed when it is still there after 30 s.
const char* EndProgram(HWND window, HANDLE process) {
  if (window && IsWindow(window)) {
    ShowWindow(window, SW_HIDE);
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(process, 30000) == WAIT_OBJECT_0) return "closed";
  TerminateProcess(process, 1);
  WaitForSingleObject(process, 5000);
  return "killed";
}

int TimeToExit(int argc, wchar_t** argv) {
  PROCESS_INFORMATION process{};
  const double start = Now();
  if (!Start(argc, argv, 2, process)) return 1;
  const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
  const double end = Now();
  DWORD exitCode = 0;
  if (ended) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  } else {
    TerminateProcess(process.hProcess, 1);
    WaitForSingleObject(process.hProcess, 5000);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (!ended) {
    std::puts("{\"ms\":-1,\"exit\":-1,\"timeout\":true}");
    return 1;
  }
  std::printf("{\"ms\":%.3f,\"exit\":%lu}\n", end - start, static_cast<unsigned long>(exitCode));
  return 0;
}

int TimeToVisible(int argc, wchar_t** argv) {
  const wchar_t* className = argv[2];
  const bool learn = std::wcscmp(argv[3], L"learn") == 0;
  COLORREF expected[2] = {};
  if (!learn && !ParseColours(argv[3], expected)) return 2;

  HDC screen = GetDC(nullptr);
  PROCESS_INFORMATION process{};
  const double start = Now();
  if (!Start(argc, argv, 4, process)) return 1;
  double found = -1, visible = -1, painted = -1;
  HWND window = nullptr;
  COLORREF seen[2] = {};
  const double deadline = start + 60000;
  while (Now() < deadline) {
    if (!window) {
      window = FindOwnedWindow(className, process.dwProcessId);
      if (window) found = Now() - start;
    }
    if (window && visible < 0 && IsWindowVisible(window)) visible = Now() - start;
    if (visible >= 0) {
      if (learn) {
        Sleep(2000);
        POINT points[2];
        WatchedPoints(window, points);
        for (int i = 0; i < 2; ++i) seen[i] = GetPixel(screen, points[i].x, points[i].y);
        break;
      }
      POINT points[2];
      WatchedPoints(window, points);
      bool done = true;
      for (int i = 0; i < 2; ++i) {
        seen[i] = GetPixel(screen, points[i].x, points[i].y);
        done = done && seen[i] == expected[i];
      }
      if (done) {
        painted = Now() - start;
        break;
      }
    }
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;  // ended early
    Sleep(1);
  }
  ReleaseDC(nullptr, screen);
  const char* ended = EndProgram(window, process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf(
      "{\"found_ms\":%.3f,\"visible_ms\":%.3f,\"painted_ms\":%.3f,\"colours\":[\"%s\",\"%s\"],"
      "\"ended\":\"%s\"}\n",
      found, visible, painted, Hex(seen[0]).c_str(), Hex(seen[1]).c_str(), ended);
  return (learn ? visible >= 0 : painted >= 0) ? 0 : 1;
}

int Memory(const wchar_t* className) {
  HWND window = FindOwnedWindow(className, 0);
  if (!window) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
  if (!process) return 1;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  const BOOL ok = GetProcessMemoryInfo(
      process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
  CloseHandle(process);
  if (!ok) return 1;
  std::printf(
      "{\"pid\":%lu,\"working_set\":%llu,\"peak_working_set\":%llu,\"private\":%llu,"
      "\"pagefile\":%llu}\n",
      static_cast<unsigned long>(pid), static_cast<unsigned long long>(counters.WorkingSetSize),
      static_cast<unsigned long long>(counters.PeakWorkingSetSize),
      static_cast<unsigned long long>(counters.PrivateUsage),
      static_cast<unsigned long long>(counters.PagefileUsage));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wcscmp(argv[1], L"exit") == 0) return TimeToExit(argc, argv);
  if (argc >= 5 && std::wcscmp(argv[1], L"visible") == 0) return TimeToVisible(argc, argv);
  if (argc == 3 && std::wcscmp(argv[1], L"memory") == 0) return Memory(argv[2]);
  std::fputs(
      "usage: startwatch exit PROGRAM [ARGS...]\n"
      "       startwatch visible CLASS RRGGBB,RRGGBB|learn PROGRAM [ARGS...]\n"
      "       startwatch memory CLASS\n",
      stderr);
  return 2;
}
