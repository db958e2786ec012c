// Decoding (and encoding) fax pages: this program's codec next to libtiff's CCITT Group 3 coder on
// the same pages. Run: build/native/korvif_bench
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include "codec/page_decoder.h"
#include "pages.h"

namespace korvif::bench {

namespace {

void BM_decode_page(benchmark::State& state, const BenchPage* page) {
    for (auto _ : state) {
        PackedBitmap bitmap = decode_page(page->mh.data(), static_cast<std::int32_t>(page->mh.size()), 0, 0);
        benchmark::DoNotOptimize(bitmap.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page->mh.size()));
}

void BM_libtiff_decode(benchmark::State& state, const BenchPage* page) {
    TIFFSetWarningHandler(nullptr);
    TIFF* tiff = TIFFOpen(page->tiff_path.c_str(), "r");
    if (tiff == nullptr) {
        state.SkipWithError("cannot open the TIFF page");
        return;
    }
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(TIFFStripSize(tiff)));
    for (auto _ : state) {
        const tmsize_t got = TIFFReadEncodedStrip(tiff, 0, strip.data(), static_cast<tmsize_t>(strip.size()));
        benchmark::DoNotOptimize(got);
    }
    TIFFClose(tiff);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page->mh.size()));
}

const bool registered = [] {
    for (const BenchPage& page : bench_pages()) {
        benchmark::RegisterBenchmark(("BM_decode_page/" + page.name).c_str(), BM_decode_page, &page);
        benchmark::RegisterBenchmark(("BM_libtiff_decode/" + page.name).c_str(), BM_libtiff_decode, &page);
    }
    return true;
}();

}  // namespace

}  // namespace korvif::bench

BENCHMARK_MAIN();
