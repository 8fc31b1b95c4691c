// ParseXml against pugixml, expat and tinyxml2 on the same inputs: a typical language file and a
// generated document of several megabytes. Prints throughput and ParseXml's ratio to each peer.
#include <expat.h>
#include <pugixml.hpp>
#include <tinyxml2.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <string>
#include <ctime>
#include <vector>

#include "core/xml.h"

namespace {

const char kLanguageFile[] =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Language name=\"German\">\n"
    "  <Strings>\n"
    "    <String id=\"1\" text=\"Die Betriebssysteminformationen konnten nicht ermittelt werden, die Deinstallation wird beendet.\"/>\n"
    "    <String id=\"2\" text=\"Orvik Pendrel Printer unterst\xC3\xBCtzt keine Betriebssysteme vor Windows 2000, die Deinstallation wird beendet.\"/>\n"
    "    <String id=\"3\" text=\"Sie ben\xC3\xB6tigen Administratorrechte, um dieses Programm auszuf\xC3\xBChren.\"/>\n"
    "    <String id=\"4\" text=\"Bitte warten, Dateien werden gel\xC3\xB6scht...\"/>\n"
    "    <String id=\"5\" text=\"M\xC3\xB6\x63hten Sie Orvik Pendrel wirklich deinstallieren?\"/>\n"
    "    <String id=\"6\" text=\"Orvik Pendrel wird gerade verwendet. Bitte beenden Sie das Programm und versuchen Sie es erneut.\"/>\n"
    "    <String id=\"8\" text=\"Orvik Pendrel wurde erfolgreich entfernt.\"/>\n"
    "    <String id=\"9\" text=\"www.orviksoftware.com\"/>\n"
    "    <String id=\"10\" text=\"https://www.orviksoftware.com/\"/>\n"
    "    <String id=\"12\" text=\"Orvik Pendrel Deinstallations-Assistent\"/>\n"
    "    <String id=\"13\" text=\"Orvik Pendrel Printer kann nicht ge\xC3\xB6\x66\x66net werden. \\nBitte schlie\xC3\x9f\x65n Sie alle Anwendungen, die den Drucker verwenden k\xC3\xB6nnten, und versuchen Sie es erneut, \\noder klicken Sie auf &apos;ABBRECHEN&apos;, um den Vorgang zu beenden.\"/>\n"
    "    <String id=\"14\" text=\"Orvik Pendrel Printer kann nicht gel\xC3\xB6scht werden. \\nBitte schlie\xC3\x9f\x65n Sie alle Anwendungen, die den Drucker verwenden k\xC3\xB6nnten, und versuchen Sie es erneut, \\noder klicken Sie auf &apos;ABBRECHEN&apos;, um den Vorgang zu beenden.\"/>\n"
    "    <String id=\"15\" text=\"Der Orvik Pendrel Treiber kann nicht gel\xC3\xB6scht werden. \\nBitte schlie\xC3\x9f\x65n Sie alle Programme, die den Drucker verwenden k\xC3\xB6nnten, und versuchen Sie es erneut, \\noder klicken Sie auf &apos;ABBRECHEN&apos;, um den Vorgang zu beenden.\"/>\n"
    "  </Strings>\n"
    "</Language>\n";

// Many records with attributes, nested elements, mixed text, references and non-ASCII text.
std::string GenerateLargeDocument(std::size_t targetBytes) {
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<catalogue xmlns:o=\"urn:orvik\">\n";
    char line[512];
    for (unsigned i = 0; doc.size() < targetBytes; ++i) {
        std::snprintf(line, sizeof line,
                      "  <o:entry id=\"%u\" kind=\"message\" lang=\"de-DE\" text=\"Eintrag %u: Gr\xC3\xB6\xC3\x9f\x65 &amp; "
                      "Breite \xE2\x80\x93 &lt;%u&gt;\">\n"
                      "    <title>Nachricht Nummer %u f\xC3\xBCr den Deinstallations-Assistenten</title>\n"
                      "    <body>Bitte warten, w\xC3\xA4hrend Dateien gel\xC3\xB6scht werden &#x2026; Schritt %u von "
                      "100.</body>\n"
                      "    <!-- revision %u -->\n"
                      "  </o:entry>\n",
                      i, i, i % 977, i, i % 100, i);
        doc += line;
    }
    doc += "</catalogue>\n";
    return doc;
}

// CPU time of this thread, so that other work on a shared machine does not skew the ratios.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9;
}

// The best of several rounds, each repeating the parse for at least the given CPU time.
double MegabytesPerSecond(const std::string& input, const std::function<void()>& parse) {
    double best = 0;
    for (int round = 0; round < 5; ++round) {
        int count = 0;
        const double start = ThreadSeconds();
        double seconds = 0;
        do {
            parse();
            ++count;
            seconds = ThreadSeconds() - start;
        } while (seconds < 0.15);
        best = std::max(best, input.size() * static_cast<double>(count) / seconds / 1e6);
    }
    return best;
}

volatile int g_sink;

void XMLCALL ExpatStart(void* data, const XML_Char*, const XML_Char**) { ++*static_cast<int*>(data); }
void XMLCALL ExpatEnd(void*, const XML_Char*) {}
void XMLCALL ExpatText(void* data, const XML_Char*, int length) { *static_cast<int*>(data) += length; }

// Each parser builds and frees its whole result once per call, as a user of it would.
struct Parser {
    const char* name;
    void (*parse)(const std::string& input);
};

const Parser kParsers[] = {
    {"ParseXml",
     [](const std::string& input) {
         core::XmlElement* root = core::ParseXml(input.data(), static_cast<std::int32_t>(input.size()));
         g_sink = root ? root->CountChildren() : 0;
         core::DeleteXmlElement(root);
     }},
    {"pugixml",
     [](const std::string& input) {
         pugi::xml_document doc;
         doc.load_buffer(input.data(), input.size());
         g_sink = doc.first_child() ? 1 : 0;
     }},
    {"tinyxml2",
     [](const std::string& input) {
         tinyxml2::XMLDocument doc;
         doc.Parse(input.data(), input.size());
         g_sink = doc.RootElement() ? 1 : 0;
     }},
    {"expat",
     [](const std::string& input) {
         XML_Parser parser = XML_ParserCreate(nullptr);
         int events = 0;
         XML_SetUserData(parser, &events);
         XML_SetElementHandler(parser, &ExpatStart, &ExpatEnd);
         XML_SetCharacterDataHandler(parser, &ExpatText);
         XML_Parse(parser, input.data(), static_cast<int>(input.size()), 1);
         g_sink = events;
         XML_ParserFree(parser);
     }},
};

void Compare(const char* title, const std::string& input) {
    double rates[sizeof kParsers / sizeof kParsers[0]];
    for (std::size_t i = 0; i < sizeof kParsers / sizeof kParsers[0]; ++i)
        rates[i] = MegabytesPerSecond(input, [&] { kParsers[i].parse(input); });

    std::printf("%s (%zu bytes)\n", title, input.size());
    std::printf("  %-10s %10s %18s\n", "parser", "MB/s", "ParseXml / parser");
    for (std::size_t i = 0; i < sizeof kParsers / sizeof kParsers[0]; ++i)
        std::printf("  %-10s %10.1f %17.2fx\n", kParsers[i].name, rates[i], rates[0] / rates[i]);
}

// Parses the input a fixed number of times with one parser alone, for a profiler to watch.
void Profile(const char* name, const std::string& input, int count) {
    for (const Parser& parser : kParsers) {
        if (std::string(parser.name) != name) continue;
        for (int i = 0; i < count; ++i) parser.parse(input);
    }
}

}  // namespace

// "profile small|large [parser [count]]" runs one parser alone (ParseXml unless named) on 20000
// language files or 40 generated documents (or count of either) and prints nothing, so that perf or callgrind sees only it;
// callgrind's instruction counts compare the parsers repeatably on a busy machine.
int main(int argc, char** argv) {
    // Fixed heap thresholds: without them glibc returns freed memory to the system after every
    // document and faults it back in on the next, which measures the kernel rather than parsers.
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    if (argc > 2 && std::string(argv[1]) == "profile") {
        const char* parser = argc > 3 ? argv[3] : "ParseXml";
        const int count = argc > 4 ? std::atoi(argv[4]) : 0;
        if (std::string(argv[2]) == "small") Profile(parser, kLanguageFile, count > 0 ? count : 20000);
        if (std::string(argv[2]) == "large")
            Profile(parser, GenerateLargeDocument(8u << 20), count > 0 ? count : 40);
        return 0;
    }
    Compare("language file", kLanguageFile);
    Compare("generated document", GenerateLargeDocument(8u << 20));
    return 0;
}
