// What the guarded containers cost: list and hash-table operations read their tags
// through a fault-proof guard, so these show the price per operation.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "foundation/arr_of.h"
#include "foundation/hash_tab_of.h"
#include "foundation/list_of.h"
#include "foundation/str_list.h"

namespace bitvane {
namespace {

void BM_ListAddRemoveHead(benchmark::State& state) {
  TNListOf<int> list;
  for (auto _ : state) {
    list.Add(1);
    benchmark::DoNotOptimize(list.Remove(list.Head()));
  }
}
BENCHMARK(BM_ListAddRemoveHead);

void BM_ArrayAdd1000(benchmark::State& state) {
  for (auto _ : state) {
    TNArrOf<std::uint32_t> array(64);
    for (std::uint32_t i = 0; i < 1000; ++i) benchmark::DoNotOptimize(array.Add(i));
  }
}
BENCHMARK(BM_ArrayAdd1000);

// The colour table of the main window: about 45 entries keyed by control id.
void BM_HashFindAmong45(benchmark::State& state) {
  TNHashTabOf<std::uint32_t> table(6);
  for (std::uint32_t id = 1001; id < 1046; ++id) (void)table.Insert(NHTKey::FromUInt32(id), id);
  std::uint32_t id = 1001;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.Find(NHTKey::FromUInt32(id)));
    id = id == 1045 ? 1001 : id + 1;
  }
}
BENCHMARK(BM_HashFindAmong45);

void BM_CsvReadAndWrite(benchmark::State& state) {
  const std::u16string csv = u"DejaVu Sans,10.5,IB,\"quoted, with comma\",\"say \"\"hi\"\"\",x";
  for (auto _ : state) {
    NSTRList list(csv);
    benchmark::DoNotOptimize(list.ToCsv());
  }
}
BENCHMARK(BM_CsvReadAndWrite);

}  // namespace
}  // namespace bitvane
