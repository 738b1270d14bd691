// Times releasing the recent-file list over a key that holds many stale "File n" values (the
// list's write-back deletes them): once with a tenth of them, once with all. Linear work takes
// about ten times as long for ten times the values; a run of 10000 values or more fails when it
// takes far more.
//
//   bench_recent [ENTRIES [ROUNDS]]     (defaults: 30000 stale values, 3 rounds)

#include "foundation/widgets/cuRecentFiles.h"
#include "platform/registry/Registry.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const QString kKey = QStringLiteral("Software\\Tolvarent\\Kerbolith\\Recent");
// Ten times the values may cost at most this many times as long.
constexpr double kMaxGrowth = 30.0;
// Below this the figures are noise, whatever their ratio.
constexpr double kNoiseSeconds = 0.05;
// Fewer values say nothing of the ratio: a tiny run (as CTest's) on a loaded machine gives any
// ratio at all. It only shows that the bench still runs.
constexpr int kFewestJudged = 10000;

// Best time of the rounds to load the list, put one file at its top and release it, over a key
// with `stale` values beyond the list.
double release(int stale, int rounds, const QString& file) {
  double best = 1e9;
  for (int round = 0; round < rounds; ++round) {
    registry::deleteKey(registry::HKEY_CURRENT_USER, kKey);
    std::vector<registry::ValueChange> values;
    values.reserve(static_cast<size_t>(stale));
    for (int n = 1; n <= stale; ++n)
      values.push_back({QStringLiteral("File %1").arg(n), registry::Value::text(QStringLiteral("/alt/%1.qvk").arg(n))});
    if (registry::changeValues(registry::HKEY_CURRENT_USER, kKey, values) != registry::kSuccess) {
      std::fprintf(stderr, "the stale values could not be written\n");
      std::exit(1);
    }
    const auto t0 = std::chrono::steady_clock::now();
    {
      cuRecentFiles list;
      list.setRegKey(kKey);
      list.Add(file);
    }
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    QStringList left;
    registry::enumValues(registry::HKEY_CURRENT_USER, kKey, left);
    if (left.size() != 5) {  // four entries and the maximum
      std::fprintf(stderr, "%lld values left instead of 5\n", static_cast<long long>(left.size()));
      std::exit(1);
    }
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir dir;
  qputenv("ZUVRAX_REGISTRY_DIR", dir.path().toUtf8());
  QCoreApplication app(argc, argv);
  const int entries = argc > 1 ? std::atoi(argv[1]) : 30000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
  const QString file = dir.filePath(QStringLiteral("a.qvk"));
  QFile touch(file);
  if (!touch.open(QIODevice::WriteOnly)) return 1;
  touch.close();

  const double tenth = release(std::max(entries / 10, 1), rounds, file);
  const double all = release(entries, rounds, file);
  const double growth = all / std::max(tenth, 1e-6);
  const bool kept = all < kNoiseSeconds || entries < kFewestJudged || growth <= kMaxGrowth;
  std::printf(
      "releasing the recent list over %d stale values %.3f s, over %d %.3f s (best of %d): "
      "%.1f times as long, limit %.0f: %s\n",
      std::max(entries / 10, 1), tenth, entries, all, rounds, growth, kMaxGrowth, kept ? "kept" : "OVER");
  return kept ? 0 : 1;
}
