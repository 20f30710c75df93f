#pragma once
// What the chart benchmarks share: each benchmark runs for kWarmUp seconds before it is timed, on
// a chart built once per size and kept for every run the harness makes at that size (the
// warm-up's and the timed ones). On these machines a chart repaints up to 2.2 times as slowly for
// one to three seconds after its marks were allocated (measured at 1e7 marks: 85 ms a repaint,
// then a steady 38 ms, with no change to the chart).
#include <memory>
#include <optional>
#include <utility>

#include "chart/chart.h"

constexpr double kWarmUp = 2.0;

// The chart `make` builds for `key`, built again (and the one before deleted) only when the key
// changes. A program calls it from one place, so it keeps one chart at a time; the last is not
// deleted at exit, which comes after the application's end.
template <class Key, class Make>
TRChart& KeptChart(const Key& key, Make make)
{
    static TRChart* kept = nullptr;
    static std::optional<Key> keptKey;
    if (!kept || keptKey != key) {
        delete kept;
        kept = make().release();
        keptKey = key;
    }
    return *kept;
}
