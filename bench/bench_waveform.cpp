// RedrawWave of a two-code record whose sequences fill their areas, at 60 us per pixel:
// the geometry alone, and drawn into the widget's picture.
#include <irdata/waveview.h>
#include <widgets/waveform/waveformview.h>

#include <benchmark/benchmark.h>

#include <QApplication>

using namespace qlv;

namespace {

void put16(CodeRecord& record, std::size_t offset, std::uint16_t value)
{
    record[offset] = std::uint8_t(value >> 8);
    record[offset + 1] = std::uint8_t(value);
}

// Both codes: 256 first-part entries, then all 256 again as the repeat range, over 16 pairs
// of 0.4 to 1.9 ms gaps and 0.5 to 0.9 ms bursts; about 14000 pixels a strip.
CodeRecord longTwoCodeRecord()
{
    CodeRecord record{};
    for (std::size_t header : {0u, 128u}) {
        record[header] = CodeMarker;
        record[header + 1] = 48;
        put16(record, header + 4, 0);
        put16(record, header + 6, 256);
        put16(record, header + 8, 256);
        for (std::size_t k = 0; k < 16; ++k) {
            put16(record, header + 11 + 4 * k, std::uint16_t(92 + 23 * k));
            put16(record, header + 13 + 4 * k, std::uint16_t(19 + k));
        }
    }
    for (std::size_t i = 256; i < 512; ++i)
        record[i] = std::uint8_t(i * 37 + 11);
    return record;
}

class NullCanvas : public WaveCanvas {
public:
    void fillRect(int, int, int, int, WaveColour) override {}
    void line(int x1, int, int, int, WaveColour, int) override { benchmark::DoNotOptimize(x1); }
    void text(int x, int, std::string_view) override { benchmark::DoNotOptimize(x); }
    int textWidth(std::string_view text) override { return 6 * int(text.size()); }
    int textHeight() override { return 11; }
};

void RedrawWaveGeometry(benchmark::State& state)
{
    NullCanvas canvas;
    WaveView view(canvas);
    const CodeRecord record = longTwoCodeRecord();
    for (auto _ : state)
        view.RedrawWave(true, record, 756);
    state.counters["width"] = view.pictureWidth;
}
BENCHMARK(RedrawWaveGeometry)->Unit(benchmark::kMillisecond);

void RedrawWaveWidget(benchmark::State& state)
{
    WaveformView view;
    view.resize(756, 121);
    const CodeRecord record = longTwoCodeRecord();
    const QByteArray bytes(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
    view.setCurrentIrData([&bytes] { return std::optional<QByteArray>(bytes); });
    view.state().showTime = state.range(0) != 0;
    for (auto _ : state)
        view.RedrawWave(true);
    state.counters["width"] = view.state().pictureWidth;
}
BENCHMARK(RedrawWaveWidget)->Arg(0)->Arg(1)->ArgName("showTime")->Unit(benchmark::kMillisecond);

// A zoom step each time: the ruler's labels are formatted anew at every redraw.
void RedrawWaveAfterZoom(benchmark::State& state)
{
    WaveformView view;
    view.resize(756, 121);
    const CodeRecord record = longTwoCodeRecord();
    const QByteArray bytes(reinterpret_cast<const char*>(record.data()), qsizetype(record.size()));
    view.setCurrentIrData([&bytes] { return std::optional<QByteArray>(bytes); });
    for (auto _ : state) {
        view.state().usPerPixel = view.state().usPerPixel == 60 ? 30 : 60;
        view.RedrawWave(false);
    }
}
BENCHMARK(RedrawWaveAfterZoom)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
