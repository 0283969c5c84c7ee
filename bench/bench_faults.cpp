// Runs the fault table of the test_faults_* programs and prints, per row, what the tests do not
// judge: the CPU share while the program waits on the faulty line (a busy wait shows as a core's
// worth), and how resident memory grew during the exchange (a flood must not pile up bytes).
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fault_suite.h"
#include "test_support.h"

namespace {

using systest::faults::Outcome;
using systest::faults::Row;
using testsupport::CpuSeconds;
using testsupport::Now;

double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    double kb = 0;
    while (status >> key && key != "VmRSS:")
        std::getline(status, key);
    status >> kb;
    return kb / 1024.0;
}

struct Line {
    std::string row, fault, status;
    double seconds, cpuShare, cpuWindow, longestGap, residentGrowth;
    bool passed;
};

// CPU share from the row's action (or the exchange's start) to the end of the exchange.
class Measure : public systest::faults::RowObserver {
  public:
    void ExchangeStarts() override {
        markTime_ = Now(), markCpu_ = CpuSeconds(), resident_ = ResidentMegabytes();
    }
    void ActionStarts() override { markTime_ = Now(), markCpu_ = CpuSeconds(); }
    void ExchangeEnded() override {
        window_ = Now() - markTime_;
        share_ = (CpuSeconds() - markCpu_) / std::max(window_, 1e-3);
        growth_ = ResidentMegabytes() - resident_;
    }
    void RowDone(const Row& row, const Outcome& o, bool passed) override {
        lines_.push_back({row.name, *row.fault ? row.fault : "-", o.status, o.seconds, share_,
                          window_, o.longestGap, growth_, passed});
    }

    void Print() const {
        const char* head = "%-24s %-18s %-40s %6s %5s %5s %6s  %s\n";
        const char* line = "%-24s %-18s %-40.40s %6.2f %5.2f %5.2f %6.1f  %s%s\n";
        std::printf(head, "row", "fault", "status", "time s", "cpu", "gap s", "rss MB", "result");
        int busy = 0;
        for (const Line& l : lines_) {
            // A second or more spent waiting on a dead line should cost little CPU.
            const bool spins = l.cpuWindow >= 1.0 && l.cpuShare >= 0.5 && l.fault.rfind("flood", 0);
            busy += spins;
            std::printf(line, l.row.c_str(), l.fault.c_str(), l.status.c_str(), l.seconds,
                        l.cpuShare, l.longestGap, l.residentGrowth, l.passed ? "pass" : "FAIL",
                        spins ? "  busy wait" : "");
        }
        std::printf("%zu fault rows, %d with a busy wait\n", lines_.size(), busy);
    }

  private:
    double markTime_ = 0, markCpu_ = 0, resident_ = 0, window_ = 0, share_ = 0, growth_ = 0;
    std::vector<Line> lines_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    Measure measure;
    systest::faults::SetRowObserver(&measure);
    const int result = RUN_ALL_TESTS();
    systest::faults::SetRowObserver(nullptr);
    measure.Print();
    return result;
}
