// The entry of every test program: GoogleTest's, plus a watchdog. A test that runs longer than
// kTestTime is reported by name and ends the program at once, instead of hanging until ctest's
// time-out, which names no test.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr std::chrono::seconds kTestTime{30};

class Watchdog : public ::testing::EmptyTestEventListener {
  public:
    Watchdog() : thread_([this] { Watch(); }) {}
    ~Watchdog() override {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void OnTestStart(const ::testing::TestInfo& test) override {
        std::lock_guard lock(mutex_);
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        deadline_ = std::chrono::steady_clock::now() + kTestTime;
        running_ = true;
        wake_.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::lock_guard lock(mutex_);
        running_ = false;
        wake_.notify_all();
    }

  private:
    void Watch() {
        std::unique_lock lock(mutex_);
        while (!quit_) {
            if (!running_) {
                wake_.wait(lock);
            } else if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && running_ &&
                       std::chrono::steady_clock::now() >= deadline_) {
                std::fprintf(stderr, "\n[  HANGS   ] %s ran longer than %lld s\n", name_.c_str(),
                             static_cast<long long>(kTestTime.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string name_;
    std::chrono::steady_clock::time_point deadline_;
    bool running_ = false;
    bool quit_ = false;
    std::thread thread_;  // last: it starts once the members it uses exist
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    Watchdog watchdog;
    auto& listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(&watchdog);
    const int result = RUN_ALL_TESTS();
    listeners.Release(&watchdog);
    return result;
}
