#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "addresses.h"
#include "encoding.h"

namespace portal {
namespace {

using namespace std::string_literals;

std::u16string Base(std::u16string_view path) {
  std::u16string address(kBaseAddress);
  address += path;
  return address;
}

// Fixed pages ---------------------------------------------------------------------------------

struct FixedPage {
  const char* label;
  std::u16string (*address)();
  std::u16string_view path;
};

TEST(FixedPages, SitOnTheBaseAddress) {
  const FixedPage pages[] = {
      {"home", HomeAddress, u"/"},
      {"search", SearchPrefix, u"/sell/search.php?kw="},
      {"login", LoginAddress, u"/member/login.php"},
      {"registration", RegistrationAddress, u"/member/register.php"},
      {"feedback", FeedbackAddress, u"/feedback/"},
  };
  for (const FixedPage& page : pages) {
    SCOPED_TRACE(page.label);
    EXPECT_EQ(page.address(), Base(page.path));
  }
}

// Address table -------------------------------------------------------------------------------

TEST(AddressTable, WebEntriesSitOnTheBaseAddress) {
  AddressTable table;
  FillAddressTable(table, u"C:\\Apps\\Portal\\bin\\client.exe");
  EXPECT_EQ(table.FrameAddress, Base(u"/mini_web/frame.html?"));
  EXPECT_EQ(table.BannerAddress, Base(u"/mini_web/flash.php?ext=.swf"));
}

struct ResourceCase {
  const char* label;
  std::u16string_view executable;
  std::u16string_view root;
  std::u16string_view errorPage;
  std::u16string_view loadingPage;
};

void PrintTo(const ResourceCase& c, std::ostream* os) { *os << c.label; }

class ResourcePaths : public testing::TestWithParam<ResourceCase> {};

TEST_P(ResourcePaths, FollowTheExecutableDirectoryUnnormalised) {
  const ResourceCase& c = GetParam();
  AddressTable table;
  FillAddressTable(table, c.executable);
  EXPECT_EQ(table.ResourceRoot, c.root);
  EXPECT_EQ(table.ErrorPagePath, c.errorPage);
  EXPECT_EQ(table.LoadingPagePath, c.loadingPage);
}

INSTANTIATE_TEST_SUITE_P(
    Executables, ResourcePaths,
    testing::Values(
        ResourceCase{"InstallDirectory", u"C:\\Apps\\Portal\\bin\\client.exe",
                     u"C:\\Apps\\Portal\\bin\\..\\", u"C:\\Apps\\Portal\\bin\\..\\Res\\error.html",
                     u"C:\\Apps\\Portal\\bin\\..\\Res\\loading.html"},
        ResourceCase{"DriveRoot", u"D:\\client.exe", u"D:\\..\\", u"D:\\..\\Res\\error.html",
                     u"D:\\..\\Res\\loading.html"},
        ResourceCase{"DriveRelative", u"C:client.exe", u"C:..\\", u"C:..\\Res\\error.html",
                     u"C:..\\Res\\loading.html"},
        ResourceCase{"NetworkShare", u"\\\\server\\share\\mk.exe", u"\\\\server\\share\\..\\",
                     u"\\\\server\\share\\..\\Res\\error.html",
                     u"\\\\server\\share\\..\\Res\\loading.html"},
        ResourceCase{"ForwardSlashesIgnored", u"C:/Apps/client.exe", u"C:..\\",
                     u"C:..\\Res\\error.html", u"C:..\\Res\\loading.html"},
        ResourceCase{"ColonAfterLastBackslash", u"C:\\dir\\file:stream", u"C:\\dir\\file:..\\",
                     u"C:\\dir\\file:..\\Res\\error.html", u"C:\\dir\\file:..\\Res\\loading.html"},
        ResourceCase{"TrailingBackslash", u"C:\\dir\\", u"C:\\dir\\..\\",
                     u"C:\\dir\\..\\Res\\error.html", u"C:\\dir\\..\\Res\\loading.html"},
        ResourceCase{"NameOnly", u"client.exe", u"..\\", u"..\\Res\\error.html",
                     u"..\\Res\\loading.html"},
        ResourceCase{"Empty", u"", u"..\\", u"..\\Res\\error.html", u"..\\Res\\loading.html"},
        ResourceCase{"NonAsciiDirectory", u"C:\\程序\\客户端.exe", u"C:\\程序\\..\\",
                     u"C:\\程序\\..\\Res\\error.html", u"C:\\程序\\..\\Res\\loading.html"}),
    [](const testing::TestParamInfo<ResourceCase>& info) { return std::string(info.param.label); });

// Search address ------------------------------------------------------------------------------

struct SearchCase {
  const char* label;
  std::u16string keyword;
  std::u16string_view path;  // expected address after the base
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.label; }

class SearchAddress : public testing::TestWithParam<SearchCase> {};

TEST_P(SearchAddress, EncodesTheKeywordAsTyped) {
  const SearchCase& c = GetParam();
  EXPECT_EQ(BuildSearchAddress(c.keyword), Base(c.path));
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, SearchAddress,
    testing::Values(
        SearchCase{"Chinese", u"手饰", u"/sell/search.php?kw=%E6%89%8B%E9%A5%B0"},
        SearchCase{"Blank", u"a b", u"/sell/search.php?kw=a+b"},
        SearchCase{"Plus", u"a+b", u"/sell/search.php?kw=a%2Bb"},
        SearchCase{"Tilde", u"~x", u"/sell/search.php?kw=%7Ex"},
        SearchCase{"AddressDelimiters", u"x/y?z=1", u"/sell/search.php?kw=x%2Fy%3Fz%3D1"},
        SearchCase{"Empty", u"", u"/sell/search.php?kw="},
        SearchCase{"NotTrimmed", u" 手饰 ", u"/sell/search.php?kw=+%E6%89%8B%E9%A5%B0+"},
        SearchCase{"OutsideBmp", u"\U0001F600", u"/sell/search.php?kw=%F0%9F%98%80"},
        SearchCase{"Percent", u"50%", u"/sell/search.php?kw=50%25"},
        SearchCase{"BlanksOnly", u"   ", u"/sell/search.php?kw=+++"},
        SearchCase{"KeptPunctuation", u"!$'()*-.@_", u"/sell/search.php?kw=!$'()*-.@_"},
        SearchCase{"Ampersand", u"a&b#c", u"/sell/search.php?kw=a%26b%23c"},
        SearchCase{"LoneHighSurrogate", u"a\xD800", u"/sell/search.php?kw=a%EF%BF%BD"},
        SearchCase{"LoneLowSurrogate", u"\xDC00z", u"/sell/search.php?kw=%EF%BF%BDz"},
        SearchCase{"StopsAtNul", u"ab\0cd"s, u"/sell/search.php?kw=ab"},
        SearchCase{"LeadingNul", u"\0ab"s, u"/sell/search.php?kw="}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.label); });

constexpr std::string_view kKept =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$'()*-.@_";

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;  // lower-case hex is not well-formed here
}

// Checks that `query` holds only kept characters, "+" and "%XX" escapes, and returns the bytes it
// stands for in `bytes`.
testing::AssertionResult DecodeQuery(std::u16string_view query, std::string& bytes) {
  bytes.clear();
  for (std::size_t i = 0; i < query.size(); ++i) {
    const char16_t c = query[i];
    if (c == u'+') {
      bytes.push_back(' ');
    } else if (c == u'%') {
      if (i + 2 >= query.size()) {
        return testing::AssertionFailure() << "truncated escape at " << i;
      }
      const int high = HexValue(query[i + 1]);
      const int low = HexValue(query[i + 2]);
      if (high < 0 || low < 0) return testing::AssertionFailure() << "bad escape at " << i;
      bytes.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    } else if (c < 0x80 && kKept.find(static_cast<char>(c)) != std::string_view::npos) {
      bytes.push_back(static_cast<char>(c));
    } else {
      return testing::AssertionFailure()
             << "unexpected unit " << static_cast<int>(c) << " at " << i;
    }
  }
  return testing::AssertionSuccess();
}

// Keywords weighted towards the awkward units: surrogates of both kinds, NUL and blanks.
std::vector<std::u16string> GeneratedKeywords() {
  std::mt19937 random(20240611);
  std::vector<std::u16string> keywords = {
      u"",
      u" ",
      u"   ",
      u"\xD800",
      u"\xDBFF",
      u"\xDC00",
      u"\xDFFF",
      u"\xDC00\xD800",
      u"\xD800\xD800\xDC00",
      u"\0"s,
      u"\0\0"s,
      u"a\0\xD800"s,
      u"\xFFFF",
      u"\xFFFE\xFEFF",
  };
  for (int n = 0; n < 20000; ++n) {
    const std::size_t length = random() % 24;
    std::u16string keyword;
    for (std::size_t i = 0; i < length; ++i) {
      switch (random() % 8) {
        case 0:
          keyword.push_back(static_cast<char16_t>(0xD800 + random() % 0x400));
          break;
        case 1:
          keyword.push_back(static_cast<char16_t>(0xDC00 + random() % 0x400));
          break;
        case 2:
          keyword.push_back(random() % 2 ? u'\0' : u' ');
          break;
        case 3:
        case 4:
          keyword.push_back(static_cast<char16_t>(random() % 0x80));
          break;
        default:
          keyword.push_back(static_cast<char16_t>(random() % 0x10000));
          break;
      }
    }
    keywords.push_back(std::move(keyword));
  }
  return keywords;
}

TEST(SearchAddressRobustness, AnyKeywordGivesAWellFormedAddress) {
  const std::u16string prefix = SearchPrefix();
  std::string decoded;
  for (const std::u16string& keyword : GeneratedKeywords()) {
    const std::u16string address = BuildSearchAddress(keyword);
    ASSERT_EQ(address.substr(0, prefix.size()), prefix);
    const std::u16string_view query = std::u16string_view(address).substr(prefix.size());
    ASSERT_TRUE(DecodeQuery(query, decoded)) << testing::PrintToString(keyword);

    std::string utf8 = Utf16ToUtf8(keyword);
    utf8 = utf8.substr(0, utf8.find('\0'));
    ASSERT_EQ(decoded, utf8) << testing::PrintToString(keyword);
  }
}

}  // namespace
}  // namespace portal
