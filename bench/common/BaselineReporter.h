// A console reporter that also keeps one figure per benchmark, for a closing
// table that sets each case against a baseline measured in the same run. The
// figure of a case is its median when run with --benchmark_repetitions, its
// only run otherwise. The baseline runs first and again last; its figure is
// the mean of the two, since a shared machine drifts during a run.
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

class BaselineReporter : public benchmark::ConsoleReporter {
public:
  // The number a run stands for; false when the run has none (it is left out).
  using Figure = std::function<bool(const Run& run, double* figure)>;

  struct Row {
    std::string name;
    std::string label;  // the run's report label
    double figure;
  };

  // The figure of runs that carry the named counter: its value times scale.
  static Figure Counter(std::string name, double scale = 1.0) {
    return [name = std::move(name), scale](const Run& run, double* figure) {
      auto it = run.counters.find(name);
      if (it == run.counters.end()) return false;
      *figure = it->second.value * scale;
      return true;
    };
  }

  BaselineReporter(std::string baseline, std::string baselineAgain, Figure figure)
      : mBaseline(std::move(baseline)), mBaselineAgain(std::move(baselineAgain)), mFigure(std::move(figure)) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type == Run::RT_Aggregate && !median) continue;
      double figure;
      if (!mFigure(run, &figure)) continue;
      const std::string& name = run.run_name.function_name;
      auto found = mRows.find(name);
      if (found == mRows.end()) {
        mOrder.push_back(name);
        found = mRows.emplace(name, Kept{Row{name, run.report_label, figure}, median}).first;
      } else if (median || !found->second.median) {
        found->second = Kept{Row{name, run.report_label, figure}, median};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // The cases in the order they ran, and the baseline's figure; false when
  // the baseline did not run (a filter left it out).
  bool Table(std::vector<Row>* rows, double* baseline) const {
    auto first = mRows.find(mBaseline), last = mRows.find(mBaselineAgain);
    if (first == mRows.end()) return false;
    *baseline = last == mRows.end() ? first->second.row.figure
                                    : (first->second.row.figure + last->second.row.figure) / 2;
    rows->clear();
    for (const std::string& name : mOrder) rows->push_back(mRows.at(name).row);
    return true;
  }

private:
  struct Kept {
    Row row;
    bool median;
  };
  std::string mBaseline, mBaselineAgain;
  Figure mFigure;
  std::map<std::string, Kept> mRows;
  std::vector<std::string> mOrder;
};
