// Loading and saving a settings document of 10,000 keys (values of every type in nested
// dictionaries and arrays). Loading is set against the same bytes parsed by Expat alone with
// empty handlers, and so is saving (the writer making those bytes). The run ends with the
// ratios.
#include "System/PropertyListReader.h"
#include "System/PropertyListWriter.h"
#include "System/XNode.h"

#include "BenchmarkRatios.h"

#include <expat.h>

#include <cstring>
#include <string>

using namespace Orv;

namespace
{
constexpr int kKeys = 10000;

std::unique_ptr<XNode> MakeDocument()
{
    auto root = std::make_unique<XNode>();
    for (int i = 0; i < kKeys; ++i)
    {
        const std::string group = "Group" + std::to_string(i / 100);
        const std::string key = group + ".Key" + std::to_string(i);
        XNode* node = root->Find(key, XNode::kCreate);
        switch (i % 5)
        {
            case 0:
                node->SetString("Value & text <" + std::to_string(i) + "> of the benchmark");
                break;
            case 1:
                node->SetInteger(i * 37);
                break;
            case 2:
                node->SetReal(static_cast<float>(i) / 7.0f);
                break;
            case 3:
                node->SetBoolean(i % 2 == 0);
                break;
            default:
                node->SetType(XNode::kArray);
                node->SetChildCount(3);
                node->GetChild(1)->SetString("element");
                break;
        }
    }
    return root;
}

const std::string& DocumentText()
{
    static const std::string text =
        PropertyListWriter::Write(*MakeDocument(), PropertyListWriter::kHeader);
    return text;
}

void BM_Settings_Load(benchmark::State& state)
{
    const std::string& text = DocumentText();
    for (auto _ : state)
    {
        std::unique_ptr<XNode> root = PropertyListReader::Read(text);
        if (!root || root->GetChildCount() != kKeys / 100)
        {
            state.SkipWithError("the document did not load");
            break;
        }
        benchmark::DoNotOptimize(root.get());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

void XMLCALL EmptyStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL EmptyEnd(void*, const XML_Char*) {}
void XMLCALL EmptyCharacters(void*, const XML_Char*, int) {}

void BM_Settings_ExpatAlone(benchmark::State& state)
{
    const std::string& text = DocumentText();
    for (auto _ : state)
    {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, &EmptyStart, &EmptyEnd);
        XML_SetCharacterDataHandler(parser, &EmptyCharacters);
        const XML_Status status =
            XML_Parse(parser, text.data(), static_cast<int>(text.size()), XML_TRUE);
        XML_ParserFree(parser);
        if (status != XML_STATUS_OK)
        {
            state.SkipWithError("the parser refused the document");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

void BM_Settings_Save(benchmark::State& state)
{
    const std::unique_ptr<XNode> root = MakeDocument();
    for (auto _ : state)
    {
        std::string text = PropertyListWriter::Write(*root, PropertyListWriter::kHeader);
        benchmark::DoNotOptimize(text.data());
    }
}

BENCHMARK(BM_Settings_Load)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Settings_ExpatAlone)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Settings_Save)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return OrvTest::RunWithRatios(argc, argv,
                                  {{"load of 10,000 keys against Expat alone", "BM_Settings_Load",
                                    "BM_Settings_ExpatAlone", kKeys},
                                   {"save of 10,000 keys against Expat alone reading them",
                                    "BM_Settings_Save", "BM_Settings_ExpatAlone", kKeys}});
}
