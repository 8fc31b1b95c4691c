// Sharing, copy-on-write, exact growth, searches and comparisons of the counted strings.
#include <gtest/gtest.h>

#include "core/strings.h"

namespace {

using core::ByteSpan;
using core::ByteString;
using core::WideSpan;
using core::WideString;

TEST(WideString, EmptyIsANullBufferAndReadsAsEmptyText) {
    const char16_t* none = nullptr;
    WideString fromNull(none, -1), fromZero(u"abc", 0), plain;
    for (const WideString* s : {&fromNull, &fromZero, &plain}) {
        EXPECT_EQ(s->GetBufferIdentity(), nullptr);
        EXPECT_EQ(s->GetLength(), 0);
        ASSERT_NE(s->GetChars(), nullptr);
        EXPECT_EQ(s->GetChars()[0], 0);
    }
    WideString two(u"ab");
    EXPECT_EQ(two.GetLength(), 2);
    EXPECT_EQ(two.GetAllocLength(), 2);
    WideString literal(u"a\0b", 3);  // a given length is taken literally
    EXPECT_EQ(literal.GetLength(), 3);
    two = u"";
    EXPECT_EQ(two.GetBufferIdentity(), nullptr);
}

TEST(WideString, CopiesShareUntilOneWrites) {
    WideString first(u"hello");
    WideString copy(first);
    EXPECT_EQ(copy.GetBufferIdentity(), first.GetBufferIdentity());
    EXPECT_EQ(first.GetRefs(), 2);

    copy.SetAt(0, u'j');
    EXPECT_TRUE(first.Equals(u"hello"));
    EXPECT_TRUE(copy.Equals(u"jello"));
    EXPECT_EQ(first.GetRefs(), 1);
    EXPECT_EQ(copy.GetAllocLength(), copy.GetLength());

    WideString third = first;
    third.Append(u"!");
    EXPECT_TRUE(first.Equals(u"hello"));
    EXPECT_TRUE(third.Equals(u"hello!"));

    WideString fourth = first;
    fourth.Delete(1, 3);
    EXPECT_TRUE(first.Equals(u"hello"));
    EXPECT_TRUE(fourth.Equals(u"ho"));

    WideString fifth = first;
    fifth = first;  // assigning the shared buffer again changes nothing
    EXPECT_EQ(first.GetRefs(), 2);
    fifth.Empty();
    EXPECT_EQ(first.GetRefs(), 1);
}

TEST(WideString, WriteBufferLeavesRoomForInPlaceAppends) {
    WideString value;
    char16_t* room = value.WriteBuffer(260);
    ASSERT_NE(room, nullptr);
    EXPECT_EQ(value.GetAllocLength(), 260);
    room[0] = u'a';
    room[1] = u'b';
    room[2] = u'c';
    room[3] = 0;
    value.CommitLength();
    EXPECT_EQ(value.GetLength(), 3);
    EXPECT_EQ(value.GetAllocLength(), 260);
    const void* before = value.GetBufferIdentity();
    value.Append(u"d");
    EXPECT_EQ(value.GetBufferIdentity(), before);
    EXPECT_TRUE(value.Equals(u"abcd"));

    // Without spare room every append takes a buffer of exactly the new length.
    WideString exact(u"ab");
    exact.Append(u"c");
    EXPECT_EQ(exact.GetAllocLength(), 3);

    // A shared buffer is never written through WriteBuffer.
    WideString shared(u"xyz");
    WideString other(shared);
    char16_t* mine = shared.WriteBuffer(2);
    mine[0] = u'Q';
    EXPECT_TRUE(other.Equals(u"xyz"));
    EXPECT_EQ(shared.GetAllocLength(), 3);  // the larger of the length and the request
}

TEST(WideString, CommitLengthZeroFreesAndAssignCopyReusesRoom) {
    WideString value(u"abc");
    value.CommitLength(0);
    EXPECT_EQ(value.GetBufferIdentity(), nullptr);
    WideString none;
    none.CommitLength(5);  // nothing on a null string
    EXPECT_EQ(none.GetBufferIdentity(), nullptr);

    WideString big;
    big.WriteBuffer(10);
    big.CommitLength(0);
    big.WriteBuffer(10);
    big.CommitLength(-1);  // measures up to the first 0: empty
    EXPECT_EQ(big.GetLength(), 0);

    WideString room;
    room.WriteBuffer(10);
    room.AssignCopy(u"abc", 3);
    EXPECT_EQ(room.GetAllocLength(), 10);
    EXPECT_TRUE(room.Equals(u"abc"));
    room.CommitLength(50);  // beyond the buffer: clamped
    EXPECT_EQ(room.GetLength(), 10);
}

TEST(WideString, SearchesHonourTheirStart) {
    WideString text(u"a\\b\\n");
    EXPECT_EQ(text.Find(u'\\'), 1);
    EXPECT_EQ(text.Find(u'\\', 2), 3);
    EXPECT_EQ(text.Find(u'\\', text.GetLength()), -1);
    EXPECT_EQ(text.Find(u"\\n"), 3);
    EXPECT_EQ(text.Find(u"\\n", text.GetLength()), -1);
    EXPECT_EQ(text.Find(u"", text.GetLength()), text.GetLength());
    EXPECT_EQ(text.Find(u"x", text.GetLength() + 1), -1);
    EXPECT_EQ(WideString().Find(u'a'), -1);
    EXPECT_EQ(WideString().Find(u""), -1);
}

TEST(WideString, DeleteAndSetAtStayInsideTheText) {
    WideString text(u"abcdef");
    text.Delete(-3, 2);
    EXPECT_TRUE(text.Equals(u"cdef"));
    text.Delete(2, 100);
    EXPECT_TRUE(text.Equals(u"cd"));
    text.Delete(5, 1);
    text.Delete(0, 0);
    EXPECT_TRUE(text.Equals(u"cd"));
    text.SetAt(7, u'x');
    text.SetAt(-1, u'x');
    EXPECT_TRUE(text.Equals(u"cd"));
    text.Delete(0, 2);  // every character gone: a buffer of length 0 that still works
    EXPECT_EQ(text.GetLength(), 0);
    EXPECT_TRUE(text.Equals(WideSpan()));
    text.Append(u"z");
    EXPECT_TRUE(text.Equals(u"z"));
}

TEST(WideString, CompareNoCaseFoldsAsciiLettersOnly) {
    EXPECT_EQ(WideString(u"STRINGS").CompareNoCase(u"strings"), 0);
    EXPECT_LT(WideString(u"_").CompareNoCase(u"A"), 0);  // 95 against 'a' (97)
    EXPECT_EQ(WideString(u"_").CompareNoCase(u"A"), 95 - 97);
    EXPECT_NE(WideString(u"\u00c4").CompareNoCase(u"\u00e4"), 0);
    EXPECT_GT(WideString(u"ab").CompareNoCase(u"a"), 0);
    EXPECT_EQ(WideString().CompareNoCase(u"x"), -1);
    EXPECT_EQ(WideString().CompareNoCase(u""), 0);
    EXPECT_EQ(WideString().CompareNoCase(nullptr), 0);
}

TEST(ByteString, EqualityOfEmptyAndSpans) {
    ByteString empty, alsoEmpty;
    EXPECT_TRUE(empty.Equals(ByteSpan()));
    EXPECT_TRUE(empty.Equals(alsoEmpty));
    EXPECT_FALSE(empty.Equals(ByteString("a")));
    EXPECT_FALSE(ByteString("a").Equals(empty));
    EXPECT_TRUE(ByteString("Strings").Equals(ByteSpan("Strings")));
    EXPECT_FALSE(ByteString("Strings").Equals(ByteSpan("strings")));
    EXPECT_FALSE(ByteString("Str").Equals(ByteSpan("Strings")));
    EXPECT_EQ(ByteString(ByteSpan("", 0)).GetBufferIdentity(), nullptr);
    ByteString bytes(ByteSpan("a\0c", 3));
    EXPECT_EQ(bytes.GetLength(), 3);
    bytes.Append('d');
    EXPECT_TRUE(bytes.Equals(ByteSpan("a\0cd", 4)));
}

TEST(ByteString, AssignFromItsOwnTextIsSafe) {
    ByteString text("abcdef");
    text.AssignCopy(text.GetChars() + 2, 3);  // overlapping source inside the unshared buffer
    EXPECT_TRUE(text.Equals("cde"));
    text.Append(text.GetChars(), text.GetLength());  // appending itself
    EXPECT_TRUE(text.Equals("cdecde"));
}

}  // namespace
