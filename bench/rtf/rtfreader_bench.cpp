// How long the RTF reader takes for the help file, for a manual-sized
// document (about 200 000 characters of Hungarian text with tables) and for
// one large picture.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextDocument>

#include "rtf/rtfreader.h"

namespace {

QByteArray helpFile() {
    QFile f(QStringLiteral(VELA_SOURCE_DIR "/data/help/AdatszolgaltatoFormX.rtf"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Hungarian paragraphs in the 1250 page, in the style a word processor writes.
QByteArray manualSized() {
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fcharset238 Arial;}}"
        "{\\colortbl;\\red0\\green51\\blue153;}\n";
    const QByteArray para =
        "\\pard\\plain\\sa120\\qj\\f0\\fs20 \\'c1rv\\'edzt\\'fbr\\'f5 "
        "t\\'fck\\'f6rf\\'far\\'f3g\\'e9p: "
        "a {\\b f\\'e9lk\\'f6v\\'e9r} \\'e9s a {\\i d\\'f5lt} bet\\'fbk, \\u337?\\u369? "
        "sz\\'e1mla kivezet\\'e9se, r\\'e9szkiegyenl\\'edt\\'e9s \\'e9s sz\\'fbr\\'e9s.\\par\n";
    const QByteArray row =
        "\\trowd\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl N\\'e9v\\cell\\pard\\intbl "
        "Gy\\'f5r\\cell\\pard\\intbl 1 250,50\\cell\\row\n";
    int chars = 0;
    for (int i = 0; chars < 200000; ++i) {
        rtf += para;
        chars += 130;
        if (i % 20 == 19) {
            for (int r = 0; r < 5; ++r) rtf += row;
            rtf += "\\pard\\par\n";
            chars += 5 * 20;
        }
    }
    rtf += "}";
    return rtf;
}

QByteArray bigPictureHex() {
    QImage img(1600, 1200, QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return png.toHex();
}

QByteArray bigPicture() {
    return "{\\rtf1 {\\pict\\pngblip\\picwgoal9000\\pichgoal6750 " + bigPictureHex() + "}}";
}

void read(benchmark::State& state, const QByteArray& data) {
    for (auto _ : state) {
        QTextDocument doc;
        if (!vela::RtfReader::read(data, &doc)) {
            state.SkipWithError("not RTF");
            break;
        }
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * data.size());
}

void BM_HelpFile(benchmark::State& state) {
    read(state, helpFile());
}
void BM_ManualSized(benchmark::State& state) {
    static const QByteArray data = manualSized();
    read(state, data);
}
void BM_Picture(benchmark::State& state) {
    static const QByteArray data = bigPicture();
    read(state, data);
}
// The bare cost of the same picture: hex to bytes and the PNG decoder.
void BM_PictureDecodeOnly(benchmark::State& state) {
    static const QByteArray hex = bigPictureHex();
    for (auto _ : state) {
        const QImage img = QImage::fromData(QByteArray::fromHex(hex), "PNG");
        benchmark::DoNotOptimize(img.width());
    }
}

BENCHMARK(BM_HelpFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManualSized)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Picture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureDecodeOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
