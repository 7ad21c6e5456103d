#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/ns/Console.hpp"

namespace {

namespace fs = std::filesystem;
using pellavo::ns::ConsoleCapture;

TEST(Console, CaptureKeepsExactLinesAndSeparatesTheChannels) {
    ConsoleCapture console;
    pellavo::ns::print("  Step 1 of 3: 50%  ");
    pellavo::ns::log("diagnostic");
    pellavo::ns::print("");
    pellavo::ns::print("获取验证码");
    EXPECT_EQ(console.printedLines(), (std::vector<std::string>{"  Step 1 of 3: 50%  ", "", "获取验证码"}));
    EXPECT_EQ(console.loggedLines(), (std::vector<std::string>{"diagnostic"}));
    console.clear();
    EXPECT_TRUE(console.printedLines().empty());
    EXPECT_TRUE(console.loggedLines().empty());
}

TEST(Console, NestedCaptureRestoresTheOuterOne) {
    ConsoleCapture outer;
    pellavo::ns::print("a");
    {
        ConsoleCapture inner;
        pellavo::ns::print("b");
        EXPECT_EQ(inner.printedLines(), (std::vector<std::string>{"b"}));
    }
    pellavo::ns::print("c");
    EXPECT_EQ(outer.printedLines(), (std::vector<std::string>{"a", "c"}));
}

TEST(Console, CapturedLinesStayWholeAcrossThreads) {
    ConsoleCapture console;
    constexpr int threads = 8, perThread = 500;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) {
                const std::string line = "thread " + std::to_string(t) + " line " + std::to_string(i);
                if (i % 2 == 0) pellavo::ns::print(line);
                else pellavo::ns::log(line);
            }
        });
    }
    for (auto& w : workers) w.join();
    // Every line arrives once, whole, and each thread's lines keep their order.
    auto check = [&](const std::vector<std::string>& lines, int parity) {
        std::map<int, int> expected;
        for (const auto& line : lines) {
            int t = -1, i = -1;
            ASSERT_EQ(std::sscanf(line.c_str(), "thread %d line %d", &t, &i), 2) << line;
            ASSERT_EQ(line, "thread " + std::to_string(t) + " line " + std::to_string(i));
            const int want = expected.count(t) ? expected[t] : parity;
            EXPECT_EQ(i, want) << line;
            expected[t] = i + 2;
        }
        for (int t = 0; t < threads; ++t) EXPECT_EQ(expected[t], perThread + parity);
    };
    EXPECT_EQ(console.printedLines().size(), std::size_t(threads * perThread / 2));
    EXPECT_EQ(console.loggedLines().size(), std::size_t(threads * perThread / 2));
    check(console.printedLines(), 0);
    check(console.loggedLines(), 1);
}

// Points a standard descriptor at a file for the lifetime of the object.
class Redirect {
public:
    Redirect(int fd, fs::path file) : fd_(fd), file_(std::move(file)) {
        std::fflush(nullptr);
        saved_ = dup(fd_);
        FILE* f = std::fopen(file_.c_str(), "w");
        dup2(fileno(f), fd_);
        std::fclose(f);
    }
    ~Redirect() { restore(); }
    std::vector<std::string> lines() {
        restore();
        std::ifstream in(file_);
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        fs::remove(file_);
        return out;
    }

private:
    void restore() {
        if (saved_ < 0) return;
        std::fflush(nullptr);
        dup2(saved_, fd_);
        close(saved_);
        saved_ = -1;
    }
    int fd_;
    fs::path file_;
    int saved_ = -1;
};

TEST(Console, DefaultStreamsGetWholeLinesAndTheLogPrefix) {
    const fs::path base = fs::temp_directory_path() / ("pellavo-console-" + std::to_string(getpid()));
    std::vector<std::string> out, err;
    {
        Redirect stdoutFile(STDOUT_FILENO, base.string() + ".out");
        Redirect stderrFile(STDERR_FILENO, base.string() + ".err");
        std::vector<std::thread> workers;
        for (int t = 0; t < 4; ++t) {
            workers.emplace_back([t] {
                for (int i = 0; i < 200; ++i) {
                    pellavo::ns::print(std::string(50, char('a' + t)));
                    pellavo::ns::log(std::string(30, char('A' + t)));
                }
            });
        }
        for (auto& w : workers) w.join();
        out = stdoutFile.lines();
        err = stderrFile.lines();
    }
    ASSERT_EQ(out.size(), 800u);
    ASSERT_EQ(err.size(), 800u);
    for (const auto& line : out) {
        ASSERT_EQ(line.size(), 50u);
        EXPECT_EQ(line, std::string(50, line[0]));
    }
    for (const auto& line : err) {
        ASSERT_EQ(line.size(), 9u + 30u) << line;
        EXPECT_EQ(line, "pellavo: " + std::string(30, line[9]));
    }
}

} // namespace
