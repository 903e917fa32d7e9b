#include "PortRunner.h"

#include <exception>
#include <thread>

#include "CliFailure.h"
#include "Output.h"

namespace pavo::cli {

namespace {

// How bad an exit code is: bad usage, then a unit that failed, then a trace that failed.
int Rank(int code) {
    switch (code) {
        case ExitOk:
            return 0;
        case ExitTrace:
            return 1;
        case ExitUnit:
            return 2;
        default:
            return 3;
    }
}

}  // namespace

int RunOnEveryPort(const std::vector<std::string>& ports, const std::function<int(const std::string&)>& job) {
    std::vector<int> codes(ports.size(), ExitOk);
    std::vector<std::thread> threads;
    threads.reserve(ports.size());
    for (size_t i = 0; i < ports.size(); ++i)
        threads.emplace_back([&, i] {
            SetOutputPort(ports[i]);
            try {
                codes[i] = job(ports[i]);
            } catch (const std::exception& e) {
                PrintError(ports[i] + ": " + e.what());
                codes[i] = ExitUnit;
            }
        });
    for (std::thread& t : threads) t.join();
    int worst = ExitOk;
    for (int code : codes)
        if (Rank(code) > Rank(worst)) worst = code;
    return worst;
}

}  // namespace pavo::cli
