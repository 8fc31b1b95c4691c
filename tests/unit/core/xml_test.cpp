// A catalogue of documents and the trees they must give, written as a compact dump:
//   tag{namespace}[name{namespace}="value" ...](children)   content as "text", CDATA chunks as C"text"
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "core/memory.h"
#include "core/xml.h"

namespace {

using core::XmlElement;

std::string Units(const core::WideString& text) {
    std::string out;
    for (std::int32_t i = 0; i < text.GetLength(); ++i) {
        const char16_t unit = text.GetChars()[i];
        if (unit >= 32 && unit < 127) {
            out += static_cast<char>(unit);
        } else {
            char escaped[12];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(unit));
            out += escaped;
        }
    }
    return out;
}

std::string Bytes(const core::ByteString& text) { return std::string(text.GetChars(), text.GetLength()); }

std::string Dump(const XmlElement* element) {
    std::string out = Bytes(element->tag);
    if (!element->ns.IsEmpty()) out += "{" + Bytes(element->ns) + "}";
    if (element->CountAttributes()) {
        out += "[";
        for (std::int32_t i = 0; i < element->CountAttributes(); ++i) {
            const core::XmlAttribute* attribute = element->GetAttribute(i);
            if (i) out += " ";
            out += Bytes(attribute->name);
            if (!attribute->ns.IsEmpty()) out += "{" + Bytes(attribute->ns) + "}";
            out += "=\"" + Units(attribute->value) + "\"";
        }
        out += "]";
    }
    if (element->CountChildren()) {
        out += "(";
        for (std::int32_t i = 0; i < element->CountChildren(); ++i) {
            if (i) out += " ";
            if (const XmlElement* child = element->GetElement(i)) {
                out += Dump(child);
            } else {
                const core::XmlContent* content = element->GetContent(i);
                out += (content->isCData ? "C\"" : "\"") + Units(*content->text) + "\"";
            }
        }
        out += ")";
    }
    return out;
}

// The dump of the tree, "null" when there is none.
std::string Parse(const std::string& document, std::int32_t* consumed = nullptr) {
    XmlElement* root = core::ParseXml(document.data(), static_cast<std::int32_t>(document.size()), consumed);
    const std::string out = root ? Dump(root) : "null";
    core::DeleteXmlElement(root);
    return out;
}

struct Case {
    const char* document;
    const char* tree;
};

void ExpectCatalogue(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(Parse(c.document), c.tree) << "document: " << c.document;
}

TEST(ParseXml, DocumentShapes) {
    ExpectCatalogue({
        {"\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", "a"},
        {"<a/>", "a"},
        {"<a x='1' y=\"2\">", "a[x=\"1\" y=\"2\"]"},
        {"<!-- c --><?pi?>\n<root><b/>tail</root>trailing<c/>", "root(b \"tail\")"},
        {"<a x = '1'\n\ty\t=\"2\" / >", "a[x=\"1\" y=\"2\"]"},
        {"<a x=1>", "a[x=\"\"]"},  // an unquoted value is empty and its first byte consumed
        {"<a x='unterminated", "a[x=\"unterminated\"]"},
        {"<a x>", "a"},  // an attribute without '=' is dropped
        {"<a x y='1'>", "null"},
        {"", "null"},
        {"no markup", "null"},
        {"<!-- only a comment -->", "null"},
        {"</a>", "null"},
        {"< a/>", "null"},
        {"<", "null"},
        {"<!DOCTYPE a><a/>", "null"},  // the declaration runs to the next comment end
        {"<!DOCTYPE a><!-- --><a/>", "a"},
        {"<a:b:c/>", "c"},
        {"<p:/>", "null"},
        {"<:x/>", "x"},
        {"<x\xC4\x80 y='1'/>", "null"},  // the name stops before byte 128, which ends the tag badly
        {"<x\xC4/>", "x\xC4"},           // byte 196 is a name byte
    });
}

TEST(ParseXml, AttributesWithTheSameNameKeepFirstPositionAndLastValue) {
    ExpectCatalogue({
        {"<a x='1' y='2' x='3'/>", "a[x=\"3\" y=\"2\"]"},
        {"<a p:x='1' q:x='2' p:x='3'/>", "a[x=\"3\" x=\"2\"]"},
    });
}

TEST(ParseXml, LongStartTagsKeepFirstPositionAndLastValue) {
    std::string document = "<a";
    std::string expected = "a[";
    for (int i = 0; i < 40; ++i) {
        document += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
        expected += (i ? " n" : "n") + std::to_string(i) + "=\"" + (i == 3 ? "x" : i == 30 ? "y" : std::to_string(i)) + "\"";
    }
    document += " n30='y' p:n3='z' n3='x'/>";
    expected += " n3=\"z\"]";  // the undeclared prefix resolves to no namespace, so it shows no braces
    EXPECT_EQ(Parse(document), expected);
}

TEST(ParseXml, References) {
    ExpectCatalogue({
        {"<a v='&#65;&#x41;&amp;'/>", "a[v=\"AA&\"]"},
        {"<a v='&#X41;'/>", "a[v=\")\"]"},  // upper-case X is no hex marker: decimal 41
        {"<a v='&nbsp;'/>", "a[v=\"\\u0000\"]"},
        {"<a v='&#x1F600;'/>", "a[v=\"\\uD83D\\uDE00\"]"},
        {"<a v='&#x110000;x'/>", "a[v=\"x\"]"},
        {"<a v='&#xFFFFFFFF;x'/>", "a[v=\"x\"]"},
        {"<a v='&lt;&gt;&apos;&quot;&LT;'/>", "a[v=\"<>'\"\\u0000\"]"},
        {"<a v='&#6x5;&#x4g1;'/>", "a[v=\"AA\"]"},  // other bytes are skipped
        {"<a>&#65;&#</a>", "a(\"A\\u0000\")"},
        {"<a>x &amp; y</a>", "a(\"x & y\")"},
    });
}

TEST(ParseXml, LoneAmpersandSwallowsUpToTheNextSemicolon) {
    ExpectCatalogue({
        {"<a>x & y</a><b>;z", "a(\"x \\u0000z\")"},
        {"<a v='&' w='1'/>;>", "a[v=\"\\u0000>\"]"},  // the value goes on to the next quote
        {"<a>x &", "a(\"x \\u0000\")"},
    });
}

TEST(ParseXml, UTF8DecodingIsTolerant) {
    ExpectCatalogue({
        {"<a>\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80</a>", "a(\"\\u00E4\\u20AC\\uD83D\\uDE00\")"},
        {"<a>\x80x\xC3y\xFE\xFFz</a>", "a(\"xyz\")"},  // stray continuation, cut sequence, 254/255
        {"<a>\xED\xA0\x80</a>", "a(\"\\uD800\")"},      // a surrogate value passes as one unit
        {"<a>\xFD\x80\x80\x80\x80\x80z</a>", "a(\"z\")"},
        {"<a v='\xC3&amp;\xA4'/>", "a[v=\"&\\u00E4\"]"},  // in a value the reference keeps the decoder state
        {"<a>\xC3&amp;\xA4</a>", "a(\"&\")"},             // in content it resets it
    });
}

TEST(ParseXml, WhitespaceFoldingAndTheScriptException) {
    ExpectCatalogue({
        {"<a>  x   y  </a>", "a(\"x y\")"},
        {"<script>  x   y  </script>", "script(\"x   y  \")"},
        {"<p:script>  x \t y</p:script>", "script(\"x \\u0009 y\")"},
        {"<Script>  x   y</Script>", "Script(\"x y\")"},
        {"<a>x\r\n  y</a>", "a(\"x\\u000D\\u000A y\")"},
        {"<a>a <b/> c</a>", "a(\"a\" b \" c\")"},
        {"<a>a <!-- c --> <?p?> b</a>", "a(\"a b\")"},
        {"<a>\t<b/>\n<c/>  </a>", "a(b c)"},
    });
}

TEST(ParseXml, CData) {
    ExpectCatalogue({
        {"<a>x<![CDATA[]]>y</a>", "a(\"xy\")"},
        {"<a>x<![CDATA[ <&amp;> ]]>y</a>", "a(C\"x <&amp;> y\")"},
        {"<a><![CDATA[\xE9\x80]]></a>", "a(C\"\\u00E9\\u20AC\")"},  // ANSI code page, not UTF-8
        {"<a><![CDATA[x]]><b/><![CDATA[]]>y</a>", "a(C\"x\" b \"y\")"},
        {"<a><![CDATA[abcdef", "a(C\"abc\")"},  // unterminated: the rest less its last three bytes
        {"<a><![CDATA[ab", "a"},
    });
}

TEST(ParseXml, Namespaces) {
    ExpectCatalogue({
        {"<a xmlns:p=\"u\"><p:b p:c=\"1\"/></a>", "a(b{u}[c{u}=\"1\"])"},
        {"<a xmlns='d'><b x='1' q:y='2'/></a>", "a{d}(b{d}[x=\"1\" y=\"2\"])"},
        {"<a xmlns:p='' xmlns:p='first' xmlns:p='second'><p:b/></a>", "a(b{first})"},
        {"<a xmlns:p='outer'><b xmlns:p=''><p:c/></b></a>", "a(b(c{outer}))"},
        {"<a xmlns='outer'><b xmlns=''/></a>", "a{outer}(b{outer})"},
        {"<p:a xmlns:p='self'/>", "a{self}"},
        {"<a p:xmlns='d'/>", "a{d}"},
    });

    const std::string document = "<a xmlns:p='u' p:c='1' q:c='2' c='3'/>";
    XmlElement* root = core::ParseXml(document.data(), static_cast<std::int32_t>(document.size()));
    ASSERT_NE(root, nullptr);
    core::WideString value(u"unchanged");
    EXPECT_TRUE(root->GetAttrValue("c", value));  // p:c has namespace u; q:c resolves to none
    EXPECT_TRUE(value.Equals(u"2"));
    EXPECT_FALSE(root->GetAttrValue("C", value));
    EXPECT_FALSE(root->GetAttrValue("missing", value));
    EXPECT_TRUE(value.Equals(u"2"));
    core::DeleteXmlElement(root);
}

TEST(ParseXml, ClosingTagsEndWhateverIsOpen) {
    ExpectCatalogue({
        {"<a><b></c>t</a>", "a(b \"t\")"},
        {"<a><b>x</b><c y z/>after</a>", "a(b(\"x\"))"},  // a broken child stops its parent's content
        {"<a><b><c y z/>in b</b>in a</a>", "a(b \"/>in b\")"},  // a reads on where c failed
        {"<a><b>", "a(b)"},
    });
}

TEST(ParseXml, ChildrenAreListedInOrderAndFoundByIndex) {
    const std::string document = "<r>one<x/>two<y/><z/></r>";
    XmlElement* root = core::ParseXml(document.data(), static_cast<std::int32_t>(document.size()));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->CountChildren(), 5);
    EXPECT_EQ(root->GetElement(0), nullptr);
    ASSERT_NE(root->GetElement(1), nullptr);
    EXPECT_TRUE(root->GetElement(1)->GetTagName().Equals("x"));
    EXPECT_EQ(root->GetElement(1)->parent, root);
    EXPECT_EQ(root->GetElement(-1), nullptr);
    EXPECT_EQ(root->GetElement(5), nullptr);
    EXPECT_TRUE(root->GetElement(4)->GetTagName().Equals("z"));
    core::DeleteXmlElement(root);
}

TEST(ParseXml, ConsumedStopsAfterTheRoot) {
    std::int32_t consumed = -1;
    EXPECT_EQ(Parse("<a>x</a>  <b/>", &consumed), "a(\"x\")");
    EXPECT_EQ(consumed, 8);
    EXPECT_EQ(Parse("<a/><b/>", &consumed), "a");
    EXPECT_EQ(consumed, 4);
    EXPECT_EQ(Parse("text only", &consumed), "null");
    EXPECT_EQ(consumed, 9);
    EXPECT_EQ(Parse("<a/", &consumed), "a");
    EXPECT_EQ(consumed, 3);
}

TEST(ParseXml, TruncationAtEveryPositionIsSafe) {
    const std::string document =
        "\xEF\xBB\xBF<?xml version='1.0'?><!-- c --><r xmlns:p='u' a='&#x41;&amp;\xC3\xA4'>"
        " t &lt; <p:e p:k='v'/><![CDATA[cd]]><s>x</s></r>";
    for (std::size_t n = 0; n <= document.size(); ++n) {
        // An exact-size copy, so reading one byte too far is caught under AddressSanitizer.
        char* copy = static_cast<char*>(core::MemAlloc(n ? n : 1));
        document.copy(copy, n);
        std::int32_t consumed = -1;
        XmlElement* root = core::ParseXml(copy, static_cast<std::int32_t>(n), &consumed);
        EXPECT_GE(consumed, 0);
        EXPECT_LE(consumed, static_cast<std::int32_t>(n));
        core::DeleteXmlElement(root);
        core::MemFree(copy);
    }
    EXPECT_EQ(Parse(document), "r[a=\"A&\\u00E4\"](\"t <\" e{u}[k{u}=\"v\"] C\"cd\" s(\"x\"))");
}

TEST(ParseXml, NestingIsBoundedAndKeepsTheTreeSoFar) {
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    std::int32_t consumed = 0;
    XmlElement* root = core::ParseXml(deep.data(), static_cast<std::int32_t>(deep.size()), &consumed);
    ASSERT_NE(root, nullptr);
    int depth = 1;
    for (const XmlElement* e = root; e->CountChildren(); e = e->GetElement(0)) ++depth;
    EXPECT_EQ(depth, core::kXmlMaxDepth);
    EXPECT_EQ(consumed, 3 * core::kXmlMaxDepth);  // stopped at the start tag one level too deep
    core::DeleteXmlElement(root);

    std::string nested = "<r>";
    for (int i = 0; i < core::kXmlMaxDepth - 1; ++i) nested += "<a>";
    nested += "x";
    EXPECT_NE(Parse(nested).find("(\"x\")"), std::string::npos);  // exactly at the bound parses whole
}

TEST(GrowBuffer, GrowsByAQuarterAndAtLeast128) {
    core::GrowBuffer buffer;
    buffer.AppendByte(1);
    EXPECT_EQ(buffer.capacity, 129);
    core::Utf16Builder builder;
    builder.AppendUnit(u'x');
    EXPECT_EQ(builder.buffer.capacity, 130);

    core::GrowBuffer big;
    big.Reserve(1000 - 128);
    EXPECT_EQ(big.capacity, 1000);
    big.length = 1000;
    big.AppendByte(2);
    EXPECT_EQ(big.capacity, 1251);
    big.Clear();
    EXPECT_EQ(big.capacity, 1251);  // clearing keeps the storage

    core::GrowBuffer fixed;
    fixed.growBy = 10;
    fixed.AppendByte(1);
    EXPECT_EQ(fixed.capacity, 11);
}

}  // namespace
