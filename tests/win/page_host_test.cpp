// The main window's page flow on the real control. Under Wine every navigation ends in a real
// navigation error, so the start-up, error and fallback path runs as it would against an
// unreachable portal; completed documents and new-window requests are played against the
// window's own event sink. Navigations are watched through a second sink on the control.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "addresses.h"
#include "text.h"
#include "unit_main.h"
#include "win_test_support.h"

namespace {

using test::NavigationRecorder;

std::wstring W(std::u16string_view text) { return win::Wide(text); }

class PageHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_.emplace(application_);
    FormMain = &*form_;
    form_->CreateHandle();
    // Wine's control fails the start-up navigations (loading page, error page, built-in page)
    // before creation returns; watching starts once they are over.
    test::PumpFor(200);
    recorder_.emplace(form_->EmbeddedWB1.ControlObject());
    ASSERT_TRUE(recorder_->Attached());
    events_ = test::SiteEvents(form_->EmbeddedWB1.ControlObject());
    ASSERT_TRUE(events_);
  }
  void TearDown() override {
    events_.reset();
    recorder_.reset();
    form_.reset();
    FormMain = nullptr;
    test::Pump();
  }

  // Waits for `count` navigations, then a while longer to see that no more follow.
  std::vector<std::wstring> Settle(size_t count) {
    if (count > 0) test::PumpUntil([&] { return recorder_->navigations.size() >= count; });
    test::PumpFor(300);
    return std::exchange(recorder_->navigations, {});
  }

  win::Application application_;
  std::optional<TFormMain> form_;
  std::optional<NavigationRecorder> recorder_;
  win::ComPtr<IDispatch> events_;
};

TEST_F(PageHostTest, BuiltInErrorPageIsAnHtmlResourceOfTheProgram) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(W(BuiltInErrorAddress()), std::wstring(L"res://") + path + L"/FALLBACK.HTML");
}

struct CompleteCase {
  const char* name;
  std::wstring (*url)();
  bool movesOn;
};

std::ostream& operator<<(std::ostream& out, const CompleteCase& c) { return out << c.name; }

class DocumentCompleteTest : public PageHostTest,
                             public ::testing::WithParamInterface<CompleteCase> {};

TEST_P(DocumentCompleteTest, OnlyTheLoadingPageMovesOnToTheCompactPage) {
  ASSERT_TRUE(Settle(0).empty());
  ASSERT_EQ(test::FireDocumentComplete(events_.get(), GetParam().url()), S_OK);
  const std::vector<std::wstring> navigations = Settle(GetParam().movesOn ? 1 : 0);
  if (GetParam().movesOn) {
    ASSERT_FALSE(navigations.empty());
    EXPECT_EQ(navigations.front(), W(PortalAddresses.FrameAddress));  // no cache-buster
  } else {
    EXPECT_TRUE(navigations.empty());
  }
}

// The loading page as a file address with forward slashes, as some engines report it.
std::wstring LoadingPageFileAddress() {
  std::wstring path = W(PortalAddresses.LoadingPagePath);
  for (wchar_t& c : path) {
    if (c == L'\\') c = L'/';
  }
  return L"file:///" + path;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, DocumentCompleteTest,
    ::testing::Values(
        CompleteCase{"LoadingPageAsNavigated", [] { return W(PortalAddresses.LoadingPagePath); },
                     true},
        CompleteCase{"LoadingPageAsFileAddress", LoadingPageFileAddress, true},
        CompleteCase{"LoadingPageInAFrame",
                     [] { return std::wstring(L"C:\\elsewhere\\Res\\loading.html#frame"); }, true},
        CompleteCase{"OtherLetterCase",
                     [] { return std::wstring(L"C:\\p\\bin\\..\\res\\Loading.html"); }, false},
        CompleteCase{"CompactPage", [] { return W(PortalAddresses.FrameAddress); }, false},
        CompleteCase{"ErrorPage", [] { return W(PortalAddresses.ErrorPagePath); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageHostTest, AnErrorInAnyFrameReplacesTheWholeViewWithTheErrorPage) {
  ASSERT_TRUE(Settle(0).empty());
  test::FireDocumentComplete(events_.get(), W(PortalAddresses.FrameAddress));
  test::FireNavigateError(events_.get(), L"http://127.0.0.1:1/sub-frame.html");
  const std::vector<std::wstring> navigations = Settle(2);
  ASSERT_FALSE(navigations.empty());
  EXPECT_EQ(navigations.front(), W(PortalAddresses.ErrorPagePath));
}

// Refresh ----------------------------------------------------------------------------------------

class RefreshTest : public PageHostTest,
                    public ::testing::WithParamInterface<void (TFormMain::*)()> {};

TEST_P(RefreshTest, LoadsTheCompactPageWithTheTimeOfDayAndStartsOver) {
  const std::optional<std::string> before = test::ReadUnixFileFrom("MK_DEMO_LOG");
  if (!before) GTEST_SKIP() << "no demo portal for this build's base address";
  ASSERT_TRUE(Settle(0).empty());

  const std::u16string earliest = BuildRefreshAddress();
  (*form_.*GetParam())();
  const std::u16string latest = BuildRefreshAddress();
  const std::vector<std::wstring> navigations = Settle(3);
  ASSERT_EQ(navigations.size(), 3u);
  EXPECT_TRUE(navigations[0] == W(earliest) || navigations[0] == W(latest))
      << navigations[0].c_str();
  EXPECT_EQ(navigations[0].rfind(W(PortalAddresses.FrameAddress) + L"&_=", 0), 0u);
  // Wine's control reports an error for every page: the flow starts over from the error page.
  EXPECT_EQ(navigations[1], W(PortalAddresses.ErrorPagePath));
  EXPECT_EQ(navigations[2], W(BuiltInErrorAddress()));

  // The request reached the portal, cache-buster included.
  const std::wstring base = W(portal::kBaseAddress);
  std::string path;
  for (char c : test::Utf8(navigations[0].substr(base.size()))) {
    path += c == ' ' ? std::string("%20") : std::string(1, c);  // as the engine sends it
  }
  EXPECT_TRUE(test::PumpUntil([&] {
    return test::ReadUnixFileFrom("MK_DEMO_LOG")->find("GET " + path + " ") != std::string::npos;
  })) << path;
}

INSTANTIATE_TEST_SUITE_P(Commands, RefreshTest,
                         ::testing::Values(&TFormMain::N1Click, &TFormMain::sTitleBar1Items6Click),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "MenuEntry" : "TitleBarItem");
                         });

// New windows ------------------------------------------------------------------------------------

bool ProcessRuns(const wchar_t* image) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    found = _wcsicmp(entry.szExeFile, image) == 0;
  }
  CloseHandle(snapshot);
  return found;
}

void EndProcesses(const wchar_t* image) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (_wcsicmp(entry.szExeFile, image) != 0) continue;
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
      TerminateProcess(process, 1);
      CloseHandle(process);
    }
  }
  CloseHandle(snapshot);
}

TEST_F(PageHostTest, NewWindowsAreCancelledAndOnlyWebAddressesReachTheShell) {
  const std::optional<std::string> before = test::ReadUnixFileFrom("MK_SHELL_LOG");
  if (!before) GTEST_SKIP() << "no shell log in this environment";
  ASSERT_TRUE(Settle(0).empty());
  ASSERT_FALSE(ProcessRuns(L"notepad.exe"));

  const wchar_t* const refused[] = {
      L"file:///C:/windows/notepad.exe",
      L"C:\\windows\\notepad.exe",
      L"\\\\127.0.0.1\\c$\\windows\\notepad.exe",
      L"javascript:alert(1)",
      L"vbscript:msgbox(1)",
      L"res://C:\\windows\\system32\\shdoclc.dll/dnserror.htm",
      L"notepad.exe",
  };
  for (const wchar_t* url : refused) {
    EXPECT_EQ(test::FireNewWindow3(events_.get(), url), VARIANT_TRUE) << url;
  }
  const std::wstring accepted = L"https://portal.example/offer/12?from=mini&kw=%E6%89%8B";
  EXPECT_EQ(test::FireNewWindow3(events_.get(), accepted), VARIANT_TRUE);

  // The shell hands web addresses to the browser program asynchronously: once the accepted
  // address has arrived, nothing else may have.
  std::string added;
  EXPECT_TRUE(test::PumpUntil(
      [&] {
        added = test::ReadUnixFileFrom("MK_SHELL_LOG")->substr(before->size());
        return !added.empty();
      },
      10000));
  test::PumpFor(1000);
  added = test::ReadUnixFileFrom("MK_SHELL_LOG")->substr(before->size());
  EXPECT_EQ(added, test::Utf8(accepted) + "\n");
  EXPECT_FALSE(ProcessRuns(L"notepad.exe"));
  // The page in the browser stays as it was.
  EXPECT_TRUE(recorder_->navigations.empty());

  // What the refusal prevents: the same address handed to the shell starts Notepad.
  ShellExecuteW(nullptr, L"", L"file:///C:/windows/notepad.exe", L"", L"", SW_SHOWNORMAL);
  EXPECT_TRUE(test::PumpUntil([] { return ProcessRuns(L"notepad.exe"); }, 10000));
  EndProcesses(L"notepad.exe");
}

}  // namespace
