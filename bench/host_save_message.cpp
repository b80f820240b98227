// SPDX-License-Identifier: GPL-3.0-or-later
// Reading one save message on the main thread: a page whose storage holds
// 100,000 keys must not freeze the window (the goal is under 50 ms here).
#include "host/save_message.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_ReadSaveMessage(benchmark::State& state) {
  JSCContext* context = jsc_context_new();
  const std::string build = "({type: 'save', data: Object.fromEntries(Array.from({length: " +
                            std::to_string(state.range(0)) + "}, (_, i) => ['key' + i, 'value of ' + i]))})";
  JSCValue* body = jsc_context_evaluate(context, build.c_str(), -1);
  std::string refusal;
  for (auto _ : state) {
    auto message = velmar::readSaveMessage(body, refusal);
    if (!message || message->values.size() != static_cast<std::size_t>(state.range(0))) state.SkipWithError("misread");
    benchmark::DoNotOptimize(message);
  }
  g_object_unref(body);
  g_object_unref(context);
}
BENCHMARK(BM_ReadSaveMessage)->Arg(100)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
