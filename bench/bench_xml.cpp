// Reading and writing a mapping-file-sized XML document (1,000 "mapping" elements), ours beside
// pugixml. Reading includes taking every attribute: the seven numbers as numbers and the pattern
// as text, as a loader would.
#include "files/QevMemoryOutputStream.h"
#include "memory/QevScopedPointer.h"
#include "text/QevXmlDocument.h"
#include "text/QevXmlElement.h"

#include <benchmark/benchmark.h>

#include <string>

#if QEV_HAVE_PUGIXML
#include <pugixml.hpp>
#endif

namespace
{

constexpr int mappingCount = 1000;

char const* const numberNames[] = {"midichannel", "minrange",       "maxrange",  "exponent",
                                   "currentmidi", "midicontroller", "currentosc"};

qev::XmlElement* buildTable()
{
    auto* root = new qev::XmlElement("trov5.cclink");
    for (int i = 0; i < mappingCount; ++i)
    {
        auto* mapping = new qev::XmlElement("mapping");
        mapping->SetAttribute("midichannel", i % 16 + 1);
        mapping->SetAttribute("midicontroller", i % 128);
        mapping->SetAttribute("pattern", qev::String("/track/" + std::to_string(i + 1) + "/gain"));
        mapping->SetAttribute("minrange", -70.0 + i * 0.001);
        mapping->SetAttribute("maxrange", 12.5);
        mapping->SetAttribute("exponent", i % 3 == 0 ? 1.0 : 0.00001 * i);
        mapping->SetAttribute("currentmidi", i % 128);
        mapping->SetAttribute("currentosc", 0.25 + i * 0.0001);
        root->AddChildElement(mapping);
    }
    return root;
}

qev::String const& mappingFile()
{
    static qev::String const text = []
    {
        qev::ScopedPointer<qev::XmlElement> root(buildTable());
        return root->CreateDocument("", false, true, "UTF-8", 60);
    }();
    return text;
}

void BM_XmlRead_Qev(benchmark::State& state)
{
    qev::String const& text = mappingFile();
    qev::String names[7];
    for (int i = 0; i < 7; ++i)
        names[i] = numberNames[i];
    qev::String const pattern("pattern");
    for (auto _ : state)
    {
        qev::ScopedPointer<qev::XmlElement> root(qev::XmlDocument::ParseText(text));
        double sum = 0.0;
        unsigned long characters = 0;
        for (qev::XmlElement const* m = root->GetFirstChildElement(); m != nullptr; m = m->GetNextElement())
        {
            for (qev::String const& name : names)
                sum += m->GetDoubleAttribute(name, 0.0);
            characters += m->GetStringAttribute(pattern).GetLength();
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.GetLength()));
}
BENCHMARK(BM_XmlRead_Qev)->Unit(benchmark::kMicrosecond);

void BM_XmlWrite_Qev(benchmark::State& state)
{
    qev::ScopedPointer<qev::XmlElement> root(buildTable());
    for (auto _ : state)
    {
        qev::MemoryOutputStream stream(2048);
        root->WriteToStream(stream, "", false, true, "UTF-8", 60);
        benchmark::DoNotOptimize(stream.GetData());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(mappingFile().GetLength()));
}
BENCHMARK(BM_XmlWrite_Qev)->Unit(benchmark::kMicrosecond);

#if QEV_HAVE_PUGIXML
void BM_XmlRead_Pugixml(benchmark::State& state)
{
    qev::String const& text = mappingFile();
    for (auto _ : state)
    {
        pugi::xml_document document;
        document.load_buffer(text.GetCString(), text.GetLength());
        double sum = 0.0;
        unsigned long characters = 0;
        for (pugi::xml_node m : document.child("trov5.cclink").children())
        {
            for (char const* name : numberNames)
                sum += m.attribute(name).as_double(0.0);
            characters += std::char_traits<char>::length(m.attribute("pattern").as_string());
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.GetLength()));
}
BENCHMARK(BM_XmlRead_Pugixml)->Unit(benchmark::kMicrosecond);

void BM_XmlWrite_Pugixml(benchmark::State& state)
{
    pugi::xml_document document;
    document.load_buffer(mappingFile().GetCString(), mappingFile().GetLength());
    struct StringWriter : pugi::xml_writer
    {
        std::string out;
        void write(void const* data, size_t size) override
        {
            out.append(static_cast<char const*>(data), size);
        }
    };
    for (auto _ : state)
    {
        StringWriter writer;
        document.save(writer, "  ", pugi::format_default, pugi::encoding_utf8);
        benchmark::DoNotOptimize(writer.out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(mappingFile().GetLength()));
}
BENCHMARK(BM_XmlWrite_Pugixml)->Unit(benchmark::kMicrosecond);
#endif

} // namespace
