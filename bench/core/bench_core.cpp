// The runtime services on the game's per-frame paths: random draws for spawned entities, the entity
// list's walk with removals and insertions, and the HUD's number text.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <list>
#include <random>
#include <string>

#include "runtime/core/date.h"
#include "runtime/core/list.h"
#include "runtime/core/random.h"
#include "runtime/core/text.h"

namespace {

void BM_RandomInt(benchmark::State& state) {
  rt::RandomSeed(12345);
  std::int32_t max = 639;
  for (auto _ : state) benchmark::DoNotOptimize(rt::RandomInt(max));
}
BENCHMARK(BM_RandomInt);

// Peer: the standard library's Mersenne Twister with its uniform distribution.
void BM_Peer_Mt19937(benchmark::State& state) {
  std::mt19937 engine(12345);
  std::uniform_int_distribution<std::int32_t> range(0, 639);
  for (auto _ : state) benchmark::DoNotOptimize(range(engine));
}
BENCHMARK(BM_Peer_Mt19937);

struct Entity {
  float x, y, frame, dx, dy;
  std::int16_t hitPoints, kind;
};

// One frame of an entity pass: every fourth entity retires and is replaced in place.
void BM_ListChurn(benchmark::State& state) {
  rt::List<Entity> list;
  for (int i = 0; i < state.range(0); ++i) ListInsert(list)->x = static_cast<float>(i);
  for (auto _ : state) {
    ListRewind(list);
    int seen = 0;
    while (Entity* entity = ListAdvance(list)) {
      entity->x -= entity->dx;
      if (++seen % 4 == 0) {
        ListRemoveCurrent(list);
        ListInsert(list)->x = 640.0f;
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListChurn)->Arg(40)->Arg(1000);

// Peer: the same pass over std::list, which allocates for every insertion.
void BM_Peer_StdListChurn(benchmark::State& state) {
  std::list<Entity> list;
  for (int i = 0; i < state.range(0); ++i) list.push_back(Entity{static_cast<float>(i), 0, 0, 0, 0, 0, 0});
  for (auto _ : state) {
    int seen = 0;
    for (auto it = list.begin(); it != list.end();) {
      it->x -= it->dx;
      if (++seen % 4 == 0) {
        it = list.erase(it);
        it = std::next(list.insert(it, Entity{640.0f, 0, 0, 0, 0, 0, 0}));
      } else {
        ++it;
      }
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Peer_StdListChurn)->Arg(40)->Arg(1000);

void BM_ScoreText(benchmark::State& state) {
  rt::StartStringRuntime();
  rt::StringVariable text;
  std::int32_t score = -1000000;
  for (auto _ : state) {
    const rt::TextPosition start = rt::AccumulatorTop();
    rt::AppendString("Score: ");
    rt::NumberToString(score++);
    rt::AssignString(text, start);
    benchmark::DoNotOptimize(text.Text());
  }
}
BENCHMARK(BM_ScoreText);

// Peer: formatting into a reused std::string with snprintf.
void BM_Peer_SnprintfScore(benchmark::State& state) {
  std::string text;
  char buffer[32];
  std::int32_t score = -1000000;
  for (auto _ : state) {
    const int length = std::snprintf(buffer, sizeof buffer, "Score: %d", score++);
    text.assign(buffer, static_cast<std::size_t>(length));
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_Peer_SnprintfScore);

void BM_RemainingTimeText(benchmark::State& state) {
  rt::StartStringRuntime();
  rt::StringVariable text;
  rt::DateValue remaining = 0;
  for (auto _ : state) {
    const rt::TextPosition start = rt::AccumulatorTop();
    rt::AppendString("Remaining Time: ");
    rt::FormatDate("%ii:%ss", remaining++ % 120);
    rt::AssignString(text, start);
    benchmark::DoNotOptimize(text.Text());
  }
}
BENCHMARK(BM_RemainingTimeText);

}  // namespace
