// Times full repaints of a shown window, frame and client, in-process:
//   paint_bench main [REPAINTS]   the program's real main window (TFormMain with its skin,
//                                 title row, search field and browser)
//   paint_bench bare [REPAINTS]   the bare window with the WebBrowser control (bare_window.h)
// Each repaint is one RedrawWindow(RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW),
// which sends the non-client paint, the erase and the paint before it returns; it is timed with
// the performance counter, and the messages that follow it are handled outside the timing.
// The process's GDI objects and windows and menus are counted before and after. Prints one
// JSON line. REPAINTS defaults to 1000.
#include <windows.h>

#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <optional>
#include <vector>

#include "application.h"
#include "bare_window.h"
#include "unit_main.h"
#include "win_test_support.h"

namespace {

double Microseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  static const double ticksPerUs = [] {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(frequency.QuadPart) / 1e6;
  }();
  return double(to.QuadPart - from.QuadPart) / ticksPerUs;
}

double Percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1)));
  return values[index];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool main = argc >= 2 && std::wcscmp(argv[1], L"main") == 0;
  const bool bare = argc >= 2 && std::wcscmp(argv[1], L"bare") == 0;
  if (!main && !bare) {
    std::fputs("usage: paint_bench main|bare [REPAINTS]\n", stderr);
    return 2;
  }
  const int repaints = argc >= 3 ? std::max(1, _wtoi(argv[2])) : 1000;

  // The program's application object (OLE and its hidden window) only for the program's
  // window: the bare window sets up OLE and nothing more, as bare_browser.exe does.
  std::optional<win::Application> application;
  std::optional<TFormMain> form;
  std::unique_ptr<bench::BareBrowserWindow> bareWindow;
  HWND window = nullptr;
  if (main) {
    application.emplace();
    application->Initialize();
    form.emplace(*application);
    FormMain = &*form;
    form->CreateHandle();
    form->Show();
    window = form->Handle();
  } else {
    if (FAILED(OleInitialize(nullptr))) return 1;
    bareWindow = std::make_unique<bench::BareBrowserWindow>();
    if (!bareWindow->Create(700, 425)) return 1;
    bareWindow->Navigate(bench::BareBrowserWindow::LocalPage());
    ShowWindow(bareWindow->Handle(), SW_SHOWNORMAL);
    window = bareWindow->Handle();
  }
  // Let the start settle: first paints, the browser's first navigation.
  test::PumpFor(1000);

  const test::ObjectCounts before = test::CountObjects();
  std::vector<double> times;
  times.reserve(size_t(repaints));
  double total = 0;
  for (int i = 0; i < repaints; ++i) {
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    RedrawWindow(window, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    QueryPerformanceCounter(&to);
    const double us = Microseconds(from, to);
    times.push_back(us);
    total += us;
    test::Pump();
  }
  test::PumpFor(200);
  const test::ObjectCounts after = test::CountObjects();

  std::printf(
      "{\"window\":\"%s\",\"repaints\":%d,\"median_us\":%.2f,\"mean_us\":%.2f,\"p10_us\":%.2f,"
      "\"p90_us\":%.2f,\"gdi_before\":%d,\"user_before\":%d,\"gdi_after\":%d,"
      "\"user_after\":%d}\n",
      main ? "main" : "bare", repaints, Percentile(times, 0.5), total / repaints,
      Percentile(times, 0.1), Percentile(times, 0.9), before.gdi, before.user, after.gdi,
      after.user);
  std::fflush(stdout);

  form.reset();
  FormMain = nullptr;
  if (bareWindow) {
    bareWindow.reset();
    test::Pump();
    OleUninitialize();
  }
  application.reset();
  return 0;
}
