#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "archive.h"
#include "skin_test_support.h"

namespace skin {
namespace {

using test::Bytes;
using test::PackArchive;
using test::PutLe32;
using test::StoredMember;
using test::ToBytes;

const Bytes kOptions = ToBytes("[GLOBALINFO]\r\nVERSION=8.00\r\n");
const Bytes kImage = Bytes(3000, 0x5A);  // compresses well: a large expansion ratio

Bytes Signature() { return ToBytes("ASzf"); }

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Count(std::uint32_t n) {
  Bytes out;
  PutLe32(out, n);
  return out;
}

// A member whose unpacked-size field says `claimed` while its stream holds `content`.
Bytes MemberClaiming(std::uint32_t claimed, const Bytes& content) {
  Bytes out;
  PutLe32(out, 4);
  test::Put(out, "a.db");
  PutLe32(out, claimed);
  const Bytes stream = test::Deflate(content);
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}

Bytes Truncated(Bytes bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

Bytes Flipped(Bytes bytes, std::size_t fromEnd) {
  bytes[bytes.size() - fromEnd] ^= 0xFF;
  return bytes;
}

struct Malformed {
  const char* name;
  Bytes data;
  const char* message;  // a part of the error's text
};

std::ostream& operator<<(std::ostream& out, const Malformed& m) { return out << m.name; }

class MalformedArchive : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedArchive, IsRefusedWithItsFault) {
  try {
    ReadArchive(GetParam().data);
    FAIL() << "accepted";
  } catch (const SkinError& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().message), std::string::npos)
        << error.what();
  }
}

const Bytes kValid = PackArchive({{"Options.dat", kOptions}, {"Big.bmp", kImage}});

INSTANTIATE_TEST_SUITE_P(
    Faults, MalformedArchive,
    ::testing::Values(
        Malformed{"Empty", {}, kWrongSignature},
        Malformed{"ShortSignature", ToBytes("ASz"), kWrongSignature},
        Malformed{"OtherSignature", Cat({ToBytes("ASzF"), Count(0)}), kWrongSignature},
        Malformed{"ZipFile", Cat({ToBytes("PK\x03\x04"), Count(0)}), kWrongSignature},
        Malformed{"NoCount", Signature(), "ends inside its member count"},
        Malformed{"ShortCount", Cat({Signature(), Bytes{1, 0}}), "ends inside its member count"},
        Malformed{"CountWithoutMembers", Cat({Signature(), Count(1)}), "member count 1"},
        Malformed{"CountBeyondData",
                  Cat({Signature(), Count(0xFFFFFFFF), StoredMember("a", kOptions)}),
                  "member count 4294967295"},
        Malformed{"MoreMembersCountedThanStored",
                  Cat({Signature(), Count(2), StoredMember("Options.dat", kOptions), Bytes(8, 0)}),
                  "ends early"},
        Malformed{"NameRunsPastEnd", Cat({Signature(), Count(1), Count(1000), Bytes(12, 'x')}),
                  "ends inside a member's name"},
        Malformed{"NameLengthCut",
                  Cat({Signature(), Count(2), StoredMember("Options.dat", kOptions), Bytes{1, 0}}),
                  "ends inside a member's name length"},
        Malformed{"SizeCut",
                  Cat({Signature(), Count(2), StoredMember("Options.dat", kOptions), Count(1),
                       ToBytes("a"), Bytes{9, 9}}),
                  "ends inside a member's unpacked size"},
        Malformed{"SizeBeyondWhatTheDataCanHold",
                  Cat({Signature(), Count(1), MemberClaiming(0xFFFFFF00u, kOptions)}), "claims"},
        Malformed{
            "StreamInflatesToMore",
            Cat({Signature(), Count(1), MemberClaiming(std::uint32_t(kImage.size() - 1), kImage)}),
            "more than its stated size"},
        Malformed{
            "StreamInflatesToLess",
            Cat({Signature(), Count(1), MemberClaiming(std::uint32_t(kImage.size() + 1), kImage)}),
            "less than its stated size"},
        Malformed{"StreamEndsEarly", Truncated(kValid, 6), "ends early"},
        Malformed{"StreamCutInsideItsChecksum", Truncated(kValid, 2), "ends early"},
        Malformed{"WrongChecksum", Flipped(kValid, 1), "is corrupt"},
        Malformed{"CorruptDeflateData", Flipped(kValid, 12), "\"Big.bmp\""},
        Malformed{"NotAZlibStream",
                  Cat({Signature(), Count(1), Count(1), ToBytes("a"), Count(4), Bytes(12, 0xFF)}),
                  "is corrupt"},
        Malformed{"TrailingBytes", Cat({kValid, Bytes{0}}), "1 bytes after its last member"},
        Malformed{"SecondArchiveAppended", Cat({kValid, kValid}), "after its last member"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadArchive, ReadsEveryMemberToItsStatedSizeInStoredOrder) {
  const Archive archive = ReadArchive(kValid);
  ASSERT_EQ(archive.members.size(), 2u);
  EXPECT_EQ(archive.members[0].name, "Options.dat");
  EXPECT_EQ(archive.members[0].data, kOptions);
  EXPECT_EQ(archive.members[1].name, "Big.bmp");
  EXPECT_EQ(archive.members[1].data, kImage);
}

TEST(ReadArchive, TakesAnArchiveWithoutMembersAndEmptyMembers) {
  EXPECT_TRUE(ReadArchive(Cat({Signature(), Count(0)})).members.empty());
  const Archive archive = ReadArchive(PackArchive({{"", {}}, {"e", {}}}));
  ASSERT_EQ(archive.members.size(), 2u);
  EXPECT_TRUE(archive.members[1].data.empty());
}

TEST(ReadArchive, FindsMembersAndTheOptionsInAnyLetterCase) {
  for (const char* name : {"Options.dat", "OPTIONS.DAT", "options.Dat"}) {
    const Archive archive = ReadArchive(PackArchive({{"Master.bmp", kImage}, {name, kOptions}}));
    ASSERT_NE(archive.Options(), nullptr) << name;
    EXPECT_EQ(archive.Options()->data, kOptions);
    ASSERT_NE(archive.Find("MASTER.BMP"), nullptr);
    EXPECT_EQ(archive.Find("Master.bm"), nullptr);
  }
  EXPECT_EQ(ReadArchive(PackArchive({{"Options.dat.bak", kOptions}})).Options(), nullptr);
}

}  // namespace
}  // namespace skin
