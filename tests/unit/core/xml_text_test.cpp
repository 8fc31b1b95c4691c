// Text decoding checked against a plain model of the rules on many generated documents: folding
// of spaces and TABs, the whitespace skipped at the start and after child elements, references,
// UTF-8 sequences, and chunks cut at child elements. The pieces are mixed at random so that runs
// of every length, and every special byte at every offset, reach the reader's bulk paths.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/memory.h"
#include "core/xml.h"

namespace {

using core::XmlElement;

struct Piece {
    const char* bytes;
    std::u16string units;  // what the piece contributes to the text
    bool folds;            // a space or a TAB
    bool blank;            // skipped where whitespace is skipped
    bool child;            // an empty child element
};

const std::vector<Piece>& Pieces() {
    static const std::vector<Piece> pieces = {
        {"a", u"a", false, false, false},
        {"plain text 0123456789", u"plain text 0123456789", false, false, false},
        {"LongerRunWithoutAnySpaceAtAll.", u"LongerRunWithoutAnySpaceAtAll.", false, false, false},
        {" ", u" ", true, true, false},
        {" ", u" ", true, true, false},
        {"\t", u"\t", true, true, false},
        {"\r\n", u"\r\n", false, true, false},
        {"&lt;", u"<", false, false, false},
        {"&#x20AC;", u"\u20AC", false, false, false},
        {"\xC3\xA9", u"\u00E9", false, false, false},
        {"\xC0\x80", std::u16string(1, u'\0'), false, false, false},  // no check for overlong forms
        {"\xE2\x82\xAC", u"\u20AC", false, false, false},
        {"\xF0\x9F\x98\x80", u"\U0001F600", false, false, false},
        {"\xC3", u"", false, false, false},  // a sequence cut short gives nothing
        {">\"", u">\"", false, false, false},
        {"<b/>", u"<b/>", false, false, true},
    };
    return pieces;
}

struct Chunk {
    bool element;
    std::u16string text;
    bool operator==(const Chunk& other) const { return element == other.element && text == other.text; }
};

// The children the content of an element should give, following the rules one piece at a time.
std::vector<Chunk> ExpectedContent(const std::vector<const Piece*>& pieces, bool folding) {
    std::vector<Chunk> children;
    std::u16string text;
    bool skipping = true;  // whitespace is skipped after '>' and after each child
    bool spacePending = false;
    for (const Piece* piece : pieces) {
        if (skipping && piece->blank) continue;
        skipping = false;
        if (piece->child) {
            if (!text.empty()) children.push_back({false, text});
            text.clear();
            children.push_back({true, u""});
            skipping = true;
        } else if (folding && piece->folds) {
            spacePending = true;
        } else {
            if (spacePending) text += u' ';
            spacePending = false;
            text += piece->units;
        }
    }
    if (!text.empty()) children.push_back({false, text});
    return children;
}

std::u16string Text(const core::WideString& text) { return std::u16string(text.GetChars(), text.GetLength()); }

std::vector<Chunk> ActualContent(const XmlElement* element) {
    std::vector<Chunk> children;
    for (std::int32_t i = 0; i < element->CountChildren(); ++i) {
        if (element->GetElement(i))
            children.push_back({true, u""});
        else
            children.push_back({false, Text(*element->GetContent(i)->text)});
    }
    return children;
}

TEST(XmlText, ContentAndValuesMatchTheRulesForGeneratedText) {
    std::mt19937 random(20261207);
    const std::vector<Piece>& pieces = Pieces();
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    for (int round = 0; round < 3000; ++round) {
        std::vector<const Piece*> chosen;
        std::string bytes;
        for (int n = length(random); n > 0; --n) {
            chosen.push_back(&pieces[pick(random)]);
            bytes += chosen.back()->bytes;
        }
        const bool script = round % 4 == 3;
        const std::string tag = script ? "script" : "a";
        const std::string document = "<" + tag + " v='" + bytes + "'>" + bytes + "</" + tag + ">";
        XmlElement* root = core::ParseXml(document.data(), static_cast<std::int32_t>(document.size()));
        ASSERT_NE(root, nullptr);

        std::u16string value;
        for (const Piece* piece : chosen) value += piece->units;
        core::WideString actualValue;
        EXPECT_TRUE(root->GetAttrValue("v", actualValue));
        EXPECT_EQ(Text(actualValue), value) << "document: " << document;
        EXPECT_EQ(ActualContent(root), ExpectedContent(chosen, !script)) << "document: " << document;
        core::DeleteXmlElement(root);
    }
}

int g_liveBlocks;
void CountAllocate(core::MemoryManager*, void* result, std::size_t, std::uint32_t) { g_liveBlocks += result ? 1 : 0; }
void CountReallocate(core::MemoryManager*, void*, void*, std::size_t, std::uint32_t) {}
void CountFree(core::MemoryManager*, void*, std::uint32_t) { --g_liveBlocks; }

TEST(XmlText, DeletingATreeReturnsEveryBlockItsParseTook) {
    std::string longTag = "<a";
    for (int i = 0; i < 40; ++i) longTag += " n" + std::to_string(i % 30) + "='" + std::to_string(i) + "'";
    longTag += ">x</a>";
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<a v='1'>t";
    const std::string documents[] = {
        "<r xmlns:p='u' xmlns='d' p:a='1' b='&amp;'> x <p:c/><![CDATA[cd]]> y <!-- c --><d>z</d></r>",
        "<a><b>x</b><c y z/>after</a>",  // a child discarded with what it had gathered
        "<a x y='1'>",                   // the root discarded
        "<a><b x='1'",                   // cut inside a start tag
        longTag,
        deep,
    };
    core::MemoryObserver observer = {&CountAllocate, nullptr, &CountReallocate, nullptr, &CountFree};
    core::MemoryManager saved = *core::g_memoryManager;
    core::g_memoryManager->observer = &observer;
    for (const std::string& document : documents) {
        g_liveBlocks = 0;
        core::DeleteXmlElement(core::ParseXml(document.data(), static_cast<std::int32_t>(document.size())));
        EXPECT_EQ(g_liveBlocks, 0) << "document: " << document;
    }
    *core::g_memoryManager = saved;
}

}  // namespace
