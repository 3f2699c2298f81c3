#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "addresses.h"
#include "page_flow.h"

namespace portal {
namespace {

constexpr std::u16string_view kExe = u"C:\\Program Files\\MiniKorvel\\bin\\MiniKorvel.exe";
constexpr std::u16string_view kBuiltIn = u"res://builtin/error";

// One browser event and the navigation the host must answer it with ("" for none).
struct Step {
  enum Kind { kStart, kComplete, kError, kRefresh } kind;
  std::u16string_view url;  // completed address, or the refresh address
  std::u16string_view expected;
};

struct FlowCase {
  const char* name;
  std::vector<Step> steps;
};

std::ostream& operator<<(std::ostream& out, const FlowCase& c) { return out << c.name; }

class PageFlowTest : public ::testing::TestWithParam<FlowCase> {};

// Placeholders in expected navigations: the table's entries.
std::u16string Resolve(std::u16string_view expected, const AddressTable& table) {
  if (expected == u"LOADING") return table.LoadingPagePath;
  if (expected == u"FRAME") return table.FrameAddress;
  if (expected == u"ERROR") return table.ErrorPagePath;
  if (expected == u"BUILTIN") return std::u16string(kBuiltIn);
  return std::u16string(expected);
}

TEST_P(PageFlowTest, AnswersEachEventWithItsNavigation) {
  AddressTable table;
  FillAddressTable(table, kExe);
  PageFlow flow(table, std::u16string(kBuiltIn));
  int index = 0;
  for (const Step& step : GetParam().steps) {
    std::optional<std::u16string> navigation;
    switch (step.kind) {
      case Step::kStart:
        navigation = flow.Start();
        break;
      case Step::kComplete:
        navigation = flow.DocumentComplete(step.url);
        break;
      case Step::kError:
        navigation = flow.NavigateError();
        break;
      case Step::kRefresh:
        navigation = flow.Refresh(std::u16string(step.url));
        break;
    }
    const std::u16string expected = Resolve(step.expected, table);
    if (expected.empty()) {
      EXPECT_FALSE(navigation.has_value()) << "step " << index;
    } else {
      ASSERT_TRUE(navigation.has_value()) << "step " << index;
      EXPECT_EQ(*navigation, expected) << "step " << index;
    }
    ++index;
  }
}

const std::u16string_view kLoadingAsPath =
    u"C:\\Program Files\\MiniKorvel\\bin\\..\\Res\\loading.html";
const std::u16string_view kLoadingAsFileUrl =
    u"file:///C:/Program%20Files/MiniKorvel/Res/loading.html";
const std::u16string_view kRefresh = u"http://portal.example/mini_web/frame.html?&_=9:05:01";

INSTANTIATE_TEST_SUITE_P(
    Events, PageFlowTest,
    ::testing::Values(
        FlowCase{"loading_page_then_compact_page",
                 {{Step::kStart, {}, u"LOADING"},
                  {Step::kComplete, kLoadingAsPath, u"FRAME"},
                  {Step::kComplete, u"http://portal.example/mini_web/frame.html?", u""}}},
        FlowCase{"loading_page_reported_as_file_address",
                 {{Step::kStart, {}, u"LOADING"}, {Step::kComplete, kLoadingAsFileUrl, u"FRAME"}}},
        FlowCase{"portal_unreachable_error_page_stays_until_refresh",
                 {{Step::kStart, {}, u"LOADING"},
                  {Step::kComplete, kLoadingAsPath, u"FRAME"},
                  {Step::kError, {}, u"ERROR"},
                  {Step::kComplete, u"C:\\x\\bin\\..\\Res\\error.html", u""},
                  {Step::kRefresh, kRefresh, kRefresh}}},
        FlowCase{"error_in_a_frame_after_the_page_completed_shows_the_error_page_again",
                 {{Step::kComplete, u"http://portal.example/mini_web/frame.html?", u""},
                  {Step::kError, {}, u"ERROR"},
                  {Step::kComplete, u"C:\\x\\Res\\error.html", u""},
                  {Step::kError, {}, u"ERROR"}}},
        FlowCase{"missing_error_page_falls_back_once_then_rests",
                 {{Step::kStart, {}, u"LOADING"},
                  {Step::kError, {}, u"ERROR"},
                  {Step::kError, {}, u"BUILTIN"},
                  {Step::kError, {}, u""},
                  {Step::kError, {}, u""}}},
        FlowCase{"refresh_starts_over_after_the_fallback",
                 {{Step::kError, {}, u"ERROR"},
                  {Step::kError, {}, u"BUILTIN"},
                  {Step::kError, {}, u""},
                  {Step::kRefresh, kRefresh, kRefresh},
                  {Step::kError, {}, u"ERROR"},
                  {Step::kError, {}, u"BUILTIN"}}},
        FlowCase{"returning_to_the_loading_page_moves_on_again",
                 {{Step::kComplete, kLoadingAsPath, u"FRAME"},
                  {Step::kComplete, u"about:blank", u""},
                  {Step::kComplete, kLoadingAsPath, u"FRAME"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Loading page recognition ------------------------------------------------------------------

struct AddressCase {
  std::u16string_view url;
  bool expected;
};

TEST(IsLoadingPageAddress, MatchesTheBackslashTextAnywhereAndFileAddresses) {
  const AddressCase cases[] = {
      {u"C:\\a\\bin\\..\\Res\\loading.html", true},
      {u"\\Res\\loading.html", true},
      {u"prefix \\Res\\loading.html?x#y", true},
      {u"http://host/\\Res\\loading.html", true},  // the text anywhere, as the flow says
      {u"C:\\a\\Res\\Loading.html", false},
      {u"C:\\a\\res\\loading.html", false},
      {u"C:\\a\\Res\\loading.htm", false},
      {u"file:///C:/a/Res/loading.html", true},
      {u"FILE:///C:/a/Res/loading.html", true},
      {u"file://server/share/Res/loading.html", true},
      {u"file:///C:/a/res/loading.html", false},
      {u"http://host/Res/loading.html", false},
      {u"/Res/loading.html", false},
      {u"", false},
  };
  for (const AddressCase& c : cases) {
    EXPECT_EQ(IsLoadingPageAddress(c.url), c.expected) << std::string(c.url.begin(), c.url.end());
  }
}

// Addresses a page may hand to the shell -------------------------------------------------------

TEST(IsShellSafeAddress, AllowsOnlyWebAndMailAddresses) {
  const AddressCase cases[] = {
      {u"http://portal.example/offer?id=1", true},
      {u"https://portal.example/", true},
      {u"HTTPS://PORTAL.EXAMPLE/", true},
      {u"mailto:sales@portal.example", true},
      {u"file:///C:/windows/notepad.exe", false},
      {u"FILE:///C:/windows/notepad.exe", false},
      {u"C:\\windows\\notepad.exe", false},
      {u"C:/windows/notepad.exe", false},
      {u"\\\\server\\share\\run.exe", false},
      {u"javascript:alert(1)", false},
      {u"vbscript:msgbox(1)", false},
      {u"res://shdoclc.dll/dnserror.htm", false},
      {u"ms-settings:", false},
      {u"shell:startup", false},
      {u"notepad.exe", false},
      {u" https://portal.example/", false},
      {u"https://portal.example/\n", false},
      {u"https://portal.example/\x7f", false},
      {u"http", false},
      {u":http://x", false},
      {u"", false},
  };
  for (const AddressCase& c : cases) {
    EXPECT_EQ(IsShellSafeAddress(c.url), c.expected) << std::string(c.url.begin(), c.url.end());
  }
}

TEST(ResourceAddress, PutsTheModulePathAndNameAfterTheResourceScheme) {
  EXPECT_EQ(ResourceAddress(kExe, u"FALLBACK.HTML"),
            u"res://C:\\Program Files\\MiniKorvel\\bin\\MiniKorvel.exe/FALLBACK.HTML");
}

// Keys kept from the engine ---------------------------------------------------------------------

TEST(IsBlockedBrowserKey, BlocksOnlyCtrlN) {
  struct KeyCase {
    unsigned key;
    bool ctrl, shift, alt, blocked;
  };
  const KeyCase cases[] = {
      {'N', true, false, false, true},   {'N', true, true, false, false},
      {'N', true, false, true, false},   {'N', true, true, true, false},
      {'N', false, false, false, false}, {'N', false, true, false, false},
      {'P', true, false, false, false},  {'O', true, false, false, false},
      {'n', true, false, false, false},  // a key-down message carries the upper-case key
  };
  for (const KeyCase& c : cases) {
    EXPECT_EQ(IsBlockedBrowserKey(c.key, c.ctrl, c.shift, c.alt), c.blocked)
        << c.key << " ctrl " << c.ctrl << " shift " << c.shift << " alt " << c.alt;
  }
}

}  // namespace
}  // namespace portal
