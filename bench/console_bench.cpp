// Per-call costs of the field conversion and the console writer, on the
// simulated console.

#include <benchmark/benchmark.h>

#include <cstring>

#include "console/console_output.h"
#include "console/input_field.h"
#include "console/number_conversion.h"
#include "simulated_console.h"

namespace {

using namespace quorvane;

void integralField(benchmark::State& state) {
  constexpr char field[] = "  &H100000063";
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseIntegerField(field, static_cast<int>(std::strlen(field))));
  }
}
BENCHMARK(integralField);

void decimalField(benchmark::State& state) {
  constexpr char field[] = "4294967296";
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseIntegerField(field, static_cast<int>(std::strlen(field))));
  }
}
BENCHMARK(decimalField);

void fractionalField(benchmark::State& state) {
  constexpr char field[] = "98.50000000000001e0";
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseFractionalField(field, static_cast<int>(std::strlen(field))));
  }
}
BENCHMARK(fractionalField);

void hexadecimalFraction(benchmark::State& state) {
  constexpr char field[] = "0x1.8cp6";
  for (auto _ : state) {
    benchmark::DoNotOptimize(parseFractionalField(field, static_cast<int>(std::strlen(field))));
  }
}
BENCHMARK(hexadecimalFraction);

// One dialogue line in screen mode, scrolling at the bottom of an 80 by 25
// console, as most lines do once the screen is full.
void printLineOnScreen(benchmark::State& state) {
  testing::simulatedConsole = {};
  resetConsoleState();
  testing::useScreen(80, 25, 25);
  for (auto _ : state) printLine("Invalid value! Please enter value between 1 and 99.");
}
BENCHMARK(printLineOnScreen);

void printLinePassedThrough(benchmark::State& state) {
  testing::simulatedConsole = {};
  resetConsoleState();
  for (auto _ : state) {
    printLine("Invalid value! Please enter value between 1 and 99.");
    testing::simulatedConsole.standardOutput.clear();
  }
}
BENCHMARK(printLinePassedThrough);

}  // namespace

BENCHMARK_MAIN();
