// Loading a skin document of about 1 MB: 2,000 control descriptors, each with a look list of its
// own skin, layout attributes and sub-controls, under colorizers, parts, looks and look lists.
// The loader's time (reading the document into descriptors; releasing them afterwards is not
// timed) is set against the same bytes parsed by the parser alone with empty handlers; the run
// ends with the ratio of the two.
#include "ControlBase/ControlFactory.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>

using namespace Orv;

namespace
{
constexpr int kDescriptors = 2000;
constexpr int kChildrenPerPanel = 9;
constexpr int kLooks = 40;
constexpr int kLookLists = 10;

std::string MakeSkinDocument()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Skin_Definitions>\n";
    xml += "  <Colorizers>\n";
    for (int i = 0; i < 20; ++i)
    {
        xml += "    <Colorizer Name=\"colorizer" + std::to_string(i) +
               "\" ColorType=\"LinearGradient\" Color=\"0xFF1020" + std::to_string(10 + i) +
               "\" GradientEndColor=\"0x80FFFFFF\" GradientStartX=\"0\" GradientStartY=\"0\" "
               "GradientEndX=\"1\" GradientEndY=\"1\"/>\n";
    }
    xml += "  </Colorizers>\n  <Parts>\n";
    for (int i = 0; i < 2 * kLooks; ++i)
    {
        xml += "    <Part Name=\"part" + std::to_string(i) + "\" ImageFile=\"Images/Skin" +
               std::to_string(i % 7) + ".png\" ImageLocX=\"" + std::to_string(i * 8) +
               "\" ImageLocY=\"16\" Width=\"24\" Height=\"24\" ResizeType=\"Stretch\" "
               "ColorizerName=\"colorizer" +
               std::to_string(i % 20) + "\" ColorizerAlphaMod=\"0.75\"/>\n";
    }
    xml += "  </Parts>\n  <Looks>\n";
    for (int i = 0; i < kLooks; ++i)
    {
        const std::string a = "part" + std::to_string(2 * i);
        const std::string b = "part" + std::to_string(2 * i + 1);
        xml += "    <Look Name=\"look" + std::to_string(i) + "\">\n      <ClientPart Name=\"" + a +
               "\" OffsetLeft=\"4\" OffsetTop=\"4\" OffsetRight=\"-4\" OffsetBottom=\"-4\"/>\n"
               "      <NonClientParts>\n        <NonClientPart Name=\"" +
               b +
               "\" OffsetLeft=\"0\" OffsetTop=\"0\" Width=\"4\"/>\n        <NonClientPart Name=\"" +
               b +
               "\" OffsetRight=\"0\" OffsetBottom=\"0\" Height=\"4\"/>\n      </NonClientParts>\n"
               "      <TextProperties TextLeftRel=\"0\" TextLeftAbs=\"6\" TextRightRel=\"1\" "
               "TextRightAbs=\"-6\" TextHAlign=\"0.5\" TextTopRel=\"0\" TextTopAbs=\"2\" "
               "TextBottomRel=\"1\" TextBottomAbs=\"-2\" TextVAlign=\"0.5\" "
               "TextForegroundPart=\"" +
               a + "\"/>\n    </Look>\n";
    }
    xml += "  </Looks>\n  <LookLists>\n";
    for (int i = 0; i < kLookLists; ++i)
    {
        xml += "    <LookList Name=\"list" + std::to_string(i) + "\" NumLooks=\"4\">\n";
        for (int k = 0; k < 4; ++k)
        {
            xml += "      <Look Name=\"look" + std::to_string((i * 4 + k) % kLooks) +
                   "\" Index=\"" + std::to_string(k) + "\"/>\n";
        }
        xml += "    </LookList>\n";
    }
    xml += "  </LookLists>\n  <Skins>\n    <Skin Name=\"Default\" FontName=\"DejaVu Sans\" "
           "FontSize=\"9\" FontStyle=\"0\">\n";
    auto control = [](int index, int depth)
    {
        const std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
        const std::string number = std::to_string(index);
        return pad + "<SubControl Class=\"Framework.Button\" Name=\"control" + number +
               "\" Z_Order=\"" + std::to_string(index % 5) + "\" TabStop=\"" +
               std::to_string(index % 11) + "\" LayoutOrder=\"" + std::to_string(index % 3) +
               "\" XPositionToControl=\"Client\" XPositionRel=\"0\" XPositionAbs=\"" +
               std::to_string(index % 600) +
               "\" YPositionToControl=\"Client\" YPositionRel=\"0\" YPositionAbs=\"" +
               std::to_string(index % 400) +
               "\" XSizeToControl=\"Self\" XSizeAbs=\"80\" YSizeToControl=\"Self\" "
               "YSizeAbs=\"24\" XMinSizeToControl=\"Self\" XMinSizeAbs=\"40\" "
               "TextOverflowXType=\"Clip\" FontName=\"DejaVu Sans\" FontSize=\"9\">\n" +
               pad + "  <Skin Name=\"skin" + number + "\" LookList=\"list" +
               std::to_string(index % kLookLists) + "\"/>\n" + pad + "  <CreateParamList>\n" + pad +
               "    <CreateParam ID=\"TOOLTIP\">Control " + number +
               " of the benchmark skin</CreateParam>\n" + pad + "  </CreateParamList>\n";
    };
    int made = 0;
    while (made < kDescriptors)
    {
        const int panel = made++;
        xml += control(panel, 3);
        for (int k = 0; k < kChildrenPerPanel && made < kDescriptors; ++k)
        {
            xml += control(made++, 4);
            xml += "        </SubControl>\n";
        }
        xml += "      </SubControl>\n";
    }
    xml += "    </Skin>\n  </Skins>\n</Skin_Definitions>\n";
    return xml;
}

const std::string& SkinDocument()
{
    static const std::string document = MakeSkinDocument();
    return document;
}

void BM_LoadSkins_Loader(benchmark::State& state)
{
    const std::string& document = SkinDocument();
    for (auto _ : state)
    {
        RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Bench")));
        const ORVRESULT result =
            factory->LoadSkinDocument(LControlFactory::Document{document.data(), document.size()});
        if (result != S_OK || factory->GetSkinCount() != 1)
        {
            state.SkipWithError("the skin document did not load");
            break;
        }
        benchmark::DoNotOptimize(factory->GetSkin(0).Get());
        // Releasing the loaded skins is not loading: it is kept out of the time.
        state.PauseTiming();
        factory = nullptr;
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(document.size()));
    state.counters["document_bytes"] = static_cast<double>(document.size());
}

void XMLCALL EmptyStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL EmptyEnd(void*, const XML_Char*) {}
void XMLCALL EmptyCharacters(void*, const XML_Char*, int) {}

void BM_LoadSkins_Expat(benchmark::State& state)
{
    const std::string& document = SkinDocument();
    for (auto _ : state)
    {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, &EmptyStart, &EmptyEnd);
        XML_SetCharacterDataHandler(parser, &EmptyCharacters);
        const XML_Status status =
            XML_Parse(parser, document.data(), static_cast<int>(document.size()), XML_TRUE);
        XML_ParserFree(parser);
        if (status != XML_STATUS_OK)
        {
            state.SkipWithError("the parser refused the skin document");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(document.size()));
}

double Fastest(const std::vector<double>& times)
{
    return times.empty() ? 0.0 : *std::min_element(times.begin(), times.end());
}

BENCHMARK(BM_LoadSkins_Loader)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);
BENCHMARK(BM_LoadSkins_Expat)->Unit(benchmark::kMillisecond)->ComputeStatistics("min", Fastest);

// The console report, and at the end the loader's time over the parser's alone.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
        {
            // One run's time, or with repetitions the fastest.
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 &&
                mFastest.count(run.run_name.function_name) == 0)
            {
                mTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
            else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min")
            {
                mTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
                mFastest.insert(run.run_name.function_name);
            }
        }
    }
    void PrintRatio() const
    {
        const auto loader = mTimes.find("BM_LoadSkins_Loader");
        const auto expat = mTimes.find("BM_LoadSkins_Expat");
        if (loader != mTimes.end() && expat != mTimes.end() && expat->second > 0)
        {
            std::printf("skin document of %zu bytes: loader / parser alone = %.2f\n",
                        SkinDocument().size(), loader->second / expat->second);
        }
    }

private:
    std::map<std::string, double> mTimes;
    std::set<std::string> mFastest;
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio();
    benchmark::Shutdown();
    return 0;
}
