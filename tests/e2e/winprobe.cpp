// A tiny Windows console tool for the end-to-end tests: it looks at and pokes the program's
// windows from another process, as any other program on the desktop could.
//   winprobe find CLASS               one JSON line: how many top-level windows have exactly
//                                     this class, and the state of the first one
//   winprobe show CLASS SW_VALUE      ShowWindow on that window
//   winprobe post CLASS MSG [W L]     PostMessageW to it (numbers in decimal or 0x hex)
//   winprobe send CLASS MSG [W L]     SendMessageTimeoutW to it, prints the result
//   winprobe list                     one JSON line per visible window, children included:
//                                     class, screen rectangle, process id
//   winprobe menuitem INDEX           caption and screen rectangle of an entry of the popup
//                                     menu that is open now (exit code 3: no menu open)
//   winprobe traydelete CLASS ID      takes that window's notification-area icon away, as a
//                                     restarting shell would lose it
//   winprobe broadcast NAME           posts the registered message NAME to every top-level
//                                     window
//   winprobe launch SHOW PROGRAM      starts PROGRAM with that show command in its start-up
//                                     information, as a shortcut set to run it maximised or
//                                     minimised would, and does not wait
//   winprobe hold                     brings the desktop up and sleeps until killed: keeps the
//                                     prefix's session up
// Exit code 0 when the window was found (find: always 0), 3 when it was not.
#include <windows.h>

#include <shellapi.h>  // after windows.h

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<Search*>(lParam);
  wchar_t name[257] = {};
  GetClassNameW(hwnd, name, 256);
  if (std::wcscmp(name, search->className) == 0) search->found.push_back(hwnd);
  return TRUE;
}

std::vector<HWND> FindAll(const wchar_t* className) {
  Search search{className, {}};
  EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string Utf8Json(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", unsigned(c));
      out += buffer;
    } else {
      char bytes[8] = {};
      const int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof bytes, nullptr, nullptr);
      out.append(bytes, static_cast<size_t>(n > 0 ? n : 0));
    }
  }
  return out + "\"";
}

unsigned long Number(const wchar_t* text) { return std::wcstoul(text, nullptr, 0); }

int Find(const wchar_t* className) {
  const std::vector<HWND> windows = FindAll(className);
  std::string json = "{\"count\":" + std::to_string(windows.size());
  if (!windows.empty()) {
    HWND hwnd = windows.front();
    RECT client{}, window{};
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &window);
    wchar_t caption[512] = {};
    InternalGetWindowText(hwnd, caption, 511);  // sends nothing: a busy window cannot stall it
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    auto flag = [](bool b) { return b ? std::string("true") : std::string("false"); };
    json += ",\"hwnd\":" + std::to_string(reinterpret_cast<UINT_PTR>(hwnd));
    json += ",\"visible\":" + flag(IsWindowVisible(hwnd));
    json += ",\"iconic\":" + flag(IsIconic(hwnd));
    json += ",\"zoomed\":" + flag(IsZoomed(hwnd));
    json += ",\"foreground\":" + flag(GetForegroundWindow() == hwnd);
    json +=
        ",\"client\":[" + std::to_string(client.right) + "," + std::to_string(client.bottom) + "]";
    json += ",\"window\":[" + std::to_string(window.left) + "," + std::to_string(window.top) + "," +
            std::to_string(window.right) + "," + std::to_string(window.bottom) + "]";
    json += ",\"style\":" + std::to_string(GetWindowLongW(hwnd, GWL_STYLE));
    json += ",\"exstyle\":" + std::to_string(GetWindowLongW(hwnd, GWL_EXSTYLE));
    json += ",\"caption\":" + Utf8Json(caption);
    json += ",\"pid\":" + std::to_string(pid);
  }
  json += "}\n";
  std::fwrite(json.data(), 1, json.size(), stdout);
  return 0;
}

BOOL CALLBACK ListOne(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  wchar_t name[257] = {};
  GetClassNameW(hwnd, name, 256);
  RECT rect{};
  GetWindowRect(hwnd, &rect);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  const std::string json = "{\"hwnd\":" + std::to_string(reinterpret_cast<UINT_PTR>(hwnd)) +
                           ",\"class\":" + Utf8Json(name) + ",\"window\":[" +
                           std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                           std::to_string(rect.right) + "," + std::to_string(rect.bottom) +
                           "],\"pid\":" + std::to_string(pid) + "}\n";
  std::fwrite(json.data(), 1, json.size(), stdout);
  return TRUE;
}

BOOL CALLBACK ListTree(HWND hwnd, LPARAM lParam) {
  ListOne(hwnd, lParam);
  if (IsWindowVisible(hwnd)) EnumChildWindows(hwnd, &ListOne, lParam);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"hold") {
    GetDesktopWindow();  // brings the session's desktop up now
    Sleep(INFINITE);
    return 0;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"list") {
    EnumWindows(&ListTree, 0);
    return 0;
  }
  if (argc == 3 && std::wstring(argv[1]) == L"menuitem") {
    const std::vector<HWND> menus = FindAll(L"#32768");
    for (HWND window : menus) {
      if (!IsWindowVisible(window)) continue;
      DWORD_PTR menu = 0;
      SendMessageTimeoutW(window, 0x01E1 /* MN_GETHMENU */, 0, 0, SMTO_ABORTIFHUNG, 5000, &menu);
      if (!menu) continue;
      const int index = int(Number(argv[2]));
      RECT rect{};
      if (!GetMenuItemRect(window, reinterpret_cast<HMENU>(menu), UINT(index), &rect)) return 1;
      wchar_t caption[256] = {};
      GetMenuStringW(reinterpret_cast<HMENU>(menu), UINT(index), caption, 255, MF_BYPOSITION);
      const std::string json = "{\"caption\":" + Utf8Json(caption) + ",\"window\":[" +
                               std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                               std::to_string(rect.right) + "," + std::to_string(rect.bottom) +
                               "]}\n";
      std::fwrite(json.data(), 1, json.size(), stdout);
      return 0;
    }
    return 3;
  }
  if (argc == 4 && std::wstring(argv[1]) == L"launch") {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = WORD(Number(argv[2]));
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + std::wstring(argv[3]) + L"\"";
    if (!CreateProcessW(argv[3], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return 1;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
  }
  if (argc == 3 && std::wstring(argv[1]) == L"broadcast") {
    const UINT message = RegisterWindowMessageW(argv[2]);
    return PostMessageW(HWND_BROADCAST, message, 0, 0) ? 0 : 1;
  }
  if (argc == 4 && std::wstring(argv[1]) == L"traydelete") {
    const std::vector<HWND> windows = FindAll(argv[2]);
    if (windows.empty()) return 3;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = windows.front();
    data.uID = UINT(Number(argv[3]));
    return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
  }
  if (argc < 3) {
    std::fputs("usage: winprobe find|show|post|send CLASS ...\n", stderr);
    return 2;
  }
  const std::wstring command = argv[1];
  const wchar_t* className = argv[2];
  if (command == L"find") return Find(className);

  const std::vector<HWND> windows = FindAll(className);
  if (windows.empty()) return 3;
  HWND hwnd = windows.front();
  if (command == L"show" && argc >= 4) {
    ShowWindow(hwnd, int(Number(argv[3])));
    return 0;
  }
  if ((command == L"post" || command == L"send") && argc >= 4) {
    const UINT message = UINT(Number(argv[3]));
    const WPARAM wParam = argc >= 5 ? WPARAM(Number(argv[4])) : 0;
    const LPARAM lParam = argc >= 6 ? LPARAM(Number(argv[5])) : 0;
    if (command == L"post") return PostMessageW(hwnd, message, wParam, lParam) ? 0 : 1;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result)) {
      return 1;
    }
    std::printf("%lu\n", static_cast<unsigned long>(result));
    return 0;
  }
  std::fputs("winprobe: unknown command\n", stderr);
  return 2;
}
