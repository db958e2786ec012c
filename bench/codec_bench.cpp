// Decoding (and encoding) fax pages: this program's codec next to libtiff's CCITT Group 3 coder on
// the same pages. Run: build/native/korvif_bench
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <cstring>

#include "codec/page_decoder.h"
#include "support/file_forms.h"
#include "codec/sff_recoder.h"
#include "image/fax_raster.h"
#include "image/page_bitmap.h"
#include "image/scale.h"
#include "faxdoc/file_sinks.h"
#include "platform/files/file.h"
#include "pages.h"

namespace korvif::bench {

namespace {

void BM_decode_page(benchmark::State& state, const BenchPage* page) {
    for (auto _ : state) {
        const Outcome<DecodedPage> decoded = decode_page(page->mh);
        Outcome<PackedBitmap> bitmap = page_bitmap(*decoded);
        benchmark::DoNotOptimize(bitmap->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page->mh.size()));
}

// A page of normal resolution drawn as F2D draws it: each line into two rows.
void BM_decode_page_doubled(benchmark::State& state, const BenchPage* page) {
    for (auto _ : state) {
        const Outcome<DecodedPage> decoded = decode_page(page->mh, {.double_lines = true});
        Outcome<PackedBitmap> bitmap = page_bitmap(*decoded);
        benchmark::DoNotOptimize(bitmap->data());
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

PackedBitmap bitmap_of(const BenchPage& page) {
    PackedBitmap bitmap = *PackedBitmap::allocate(page.bitmap.size());
    std::memcpy(bitmap.data(), page.bitmap.data(), page.bitmap.size());
    return bitmap;
}

// Every row coded, so the bitmap stays as it is from one iteration to the next; written to a
// file in memory, as libtiff's is.
void BM_encode_raster(benchmark::State& state, const BenchPage* page) {
    PackedBitmap bitmap = bitmap_of(*page);
    const std::string path = bench_directory() + "/" + page->name + "-ours.g3";
    for (auto _ : state) {
        const std::uint32_t bytes = encode_raster(fax_raster_rows(bitmap, RowPairs::apart), path.c_str());
        benchmark::DoNotOptimize(bytes);
    }
}

// Normal resolution: each pair of rows merged into one line (RES from fine to normal, D2F 0).
void BM_encode_raster_pairs(benchmark::State& state, const BenchPage* page) {
    PackedBitmap bitmap = bitmap_of(*page);
    const std::string path = bench_directory() + "/" + page->name + "-ours-pairs.g3";
    for (auto _ : state) {
        const std::uint32_t bytes = encode_raster(fax_raster_rows(bitmap, RowPairs::merged), path.c_str());
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_libtiff_encode(benchmark::State& state, const BenchPage* page) {
    TIFFSetWarningHandler(nullptr);
    const std::vector<std::uint8_t> raster = top_down_rows(*page);
    const std::string path = bench_directory() + "/" + page->name + "-libtiff.tif";
    for (auto _ : state) write_libtiff_g3(path, raster);
}

// One page through RES, decoded and coded again into memory: to fine (each line coded twice) and
// to normal (each pair of lines coded as one).
void BM_change_resolution(benchmark::State& state, const BenchPage* page, bool to_fine) {
    MemorySink sink;
    for (auto _ : state) {
        sink.data.clear();
        const Outcome<DecodedPage> decoded = decode_page(page->mh, {.double_lines = to_fine});
        const Outcome<std::uint32_t> bytes =
            encode_raster(decoded->raster_rows(to_fine ? RowPairs::apart : RowPairs::merged), sink);
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_recode_page_to_sff(benchmark::State& state, const BenchPage* page) {
    const std::string path = bench_directory() + "/" + page->name + ".sff-records";
    for (auto _ : state) {
        Outcome<platform::File> file = platform::File::open(path.c_str(), platform::FileMode::create_always);
        if (!file) {
            state.SkipWithError("the records file cannot be made");
            break;
        }
        FileSink sink(*file);
        recode_page_to_sff(page->mh, sink);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(page->mh.size()));
}

// Thumbnails and scaled copies of the page's bitmap.
void BM_scale(benchmark::State& state, const BenchPage* page, std::int32_t width, std::int32_t height,
              ScaleOptions options) {
    const PackedBitmap bitmap = bitmap_of(*page);
    for (auto _ : state) {
        Outcome<PackedBitmap> scaled = scale_bitmap(bitmap, width, height, options);
        benchmark::DoNotOptimize(scaled->data());
    }
}

const bool registered = [] {
    for (const BenchPage& page : bench_pages()) {
        benchmark::RegisterBenchmark(("BM_decode_page/" + page.name).c_str(), BM_decode_page, &page);
        benchmark::RegisterBenchmark(("BM_decode_page_doubled/" + page.name).c_str(), BM_decode_page_doubled, &page);
        benchmark::RegisterBenchmark(("BM_libtiff_decode/" + page.name).c_str(), BM_libtiff_decode, &page);
        benchmark::RegisterBenchmark(("BM_encode_raster/" + page.name).c_str(), BM_encode_raster, &page);
        benchmark::RegisterBenchmark(("BM_encode_raster_pairs/" + page.name).c_str(), BM_encode_raster_pairs, &page);
        benchmark::RegisterBenchmark(("BM_libtiff_encode/" + page.name).c_str(), BM_libtiff_encode, &page);
        benchmark::RegisterBenchmark(("BM_change_resolution_to_fine/" + page.name).c_str(), BM_change_resolution, &page,
                                     true);
        benchmark::RegisterBenchmark(("BM_change_resolution_to_normal/" + page.name).c_str(), BM_change_resolution,
                                     &page, false);
        benchmark::RegisterBenchmark(("BM_recode_page_to_sff/" + page.name).c_str(), BM_recode_page_to_sff, &page);
    }
    const BenchPage& text = bench_pages().front();
    const ScaleOptions one_bit {};
    const ScaleOptions grey {.method = ScaleMethod::grey};
    const ScaleOptions grey_levels {.method = ScaleMethod::grey, .grey_palette = true};
    benchmark::RegisterBenchmark("BM_scale/grey_thumbnail_172x220", BM_scale, &text, 172, 220, grey_levels);
    benchmark::RegisterBenchmark("BM_scale/mono_thumbnail_172x220", BM_scale, &text, 172, 220, one_bit);
    benchmark::RegisterBenchmark("BM_scale/mono_half_864x1100", BM_scale, &text, 864, 1100, one_bit);
    benchmark::RegisterBenchmark("BM_scale/grey_half_864x1100", BM_scale, &text, 864, 1100, grey);
    return true;
}();

}  // namespace

}  // namespace korvif::bench

BENCHMARK_MAIN();
